#pragma once

#include <QString>

namespace orvix {

// Failure codes of a request, in the numbering users and logs of this program have always seen
// ("Wininet error # 12029 : (Cannot connect)"). Transport failures are mapped onto them.
enum WininetCode : int {
    ERR_OUT_OF_HANDLES = 12001,
    ERR_TIMEOUT = 12002,
    ERR_INTERNAL_ERROR = 12004,
    ERR_INVALID_URL = 12005,
    ERR_UNRECOGNIZED_SCHEME = 12006,
    ERR_NAME_NOT_RESOLVED = 12007,
    ERR_LOGIN_FAILURE = 12015,
    ERR_OPERATION_CANCELLED = 12017,
    ERR_CANNOT_CONNECT = 12029,
    ERR_CONNECTION_ABORTED = 12030,
    ERR_CONNECTION_RESET = 12031,
    ERR_INVALID_PROXY_REQUEST = 12033,
    ERR_SEC_CERT_DATE_INVALID = 12035,
    ERR_SEC_CERT_CN_INVALID = 12038,
    ERR_CLIENT_AUTH_CERT_NEEDED = 12044,
    ERR_INVALID_CA = 12045,
    ERR_INVALID_SERVER_RESPONSE = 12152,
    ERR_REDIRECT_FAILED = 12156,
    ERR_SECURITY_CHANNEL_ERROR = 12157,
};

// "(Cannot connect)" for 12029; "(Unknown WININET error # N)" for codes without a text.
QString WininetErrorText(int code);

// "Wininet error # " + code + " : " + text: the message a failed request raises.
QString WininetErrorMessage(int code);

} // namespace orvix
