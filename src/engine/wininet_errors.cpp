#include "engine/wininet_errors.h"

namespace orvix {

QString WininetErrorText(int code)
{
    switch (code) {
    case 12001: return QStringLiteral("(Out of handles)");
    case 12002: return QStringLiteral("(Timeout)");
    case 12004: return QStringLiteral("(Internal Error)");
    case 12005: return QStringLiteral("(Invalid URL)");
    case 12006: return QStringLiteral("(Unrecognized Scheme)");
    case 12007: return QStringLiteral("(Service Name Not Resolved)");
    case 12008: return QStringLiteral("(Protocol Not Found)");
    case 12013: return QStringLiteral("(Incorrect User Name)");
    case 12014: return QStringLiteral("(Incorrect Password)");
    case 12015: return QStringLiteral("(Login Failure)");
    case 12016: return QStringLiteral("(Invalid Operation)");
    case 12017: return QStringLiteral("(Operation Canceled)");
    case 12020: return QStringLiteral("(Not Proxy Request)");
    case 12023: return QStringLiteral("(No Direct Access)");
    case 12026: return QStringLiteral("(Request Pending)");
    case 12027: return QStringLiteral("(Incorrect Format)");
    case 12028: return QStringLiteral("(Item not found)");
    case 12029: return QStringLiteral("(Cannot connect)");
    case 12030: return QStringLiteral("(Connection Aborted)");
    case 12031: return QStringLiteral("(Connection Reset)");
    case 12033: return QStringLiteral("(Invalid Proxy Request)");
    case 12034: return QStringLiteral("(Need UI)");
    case 12035: return QStringLiteral("(Sec Cert Date Invalid)");
    case 12038: return QStringLiteral("(Sec Cert CN Invalid)");
    case 12044: return QStringLiteral("(Client Auth Cert Needed)");
    case 12045: return QStringLiteral("(Invalid CA Cert)");
    case 12046: return QStringLiteral("(Client Auth Not Setup)");
    case 12150: return QStringLiteral("(HTTP Header Not Found)");
    case 12152: return QStringLiteral("(Invalid HTTP Server Response)");
    case 12153: return QStringLiteral("(Invalid HTTP Header)");
    case 12154: return QStringLiteral("(Invalid Query Request)");
    case 12156: return QStringLiteral("(Redirect Failed)");
    case 12159: return QStringLiteral("(TCP/IP not installed)");
    default: return QStringLiteral("(Unknown WININET error # %1)").arg(code);
    }
}

QString WininetErrorMessage(int code)
{
    return QStringLiteral("Wininet error # %1 : %2").arg(code).arg(WininetErrorText(code));
}

} // namespace orvix
