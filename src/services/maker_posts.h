#pragma once

// The posts a user sends on purpose: feedback and the report of a page the program did not
// read well. Both are multipart forms to the maker's service, sent with TIEHttp.

#include <QString>

#include <atomic>

namespace orvix {

struct TFeedbackEntry
{
    QString name;
    QString email;
    QString comments;
};

// 0: thanks; 1, 2, 3: the numbered failure messages (1 the reply says warning or error, 2 it
// says nothing known, 3 the request failed).
int SendFeedback(const TFeedbackEntry &entry, bool blocking = true, const std::atomic<bool> *stop = nullptr);
// The reply's words, compared in lower case, in this order: "warning", "error", "feedback_ok".
int ReadFeedbackReply(const QString &reply);
// "An error occured while sending your feedback.\r\nPlease try again later. (N)"
QString FeedbackFailureMessage(int number);

// The user logged on; "Unknown" when it cannot be read.
QString LoggedOnUserName();
// Root, or a member of the sudo, wheel or admin group.
bool UserIsAdministrator();

// The page report; false when it could not be submitted.
// stop, once set, ends the post (it then counts as not submitted).
bool SubmitPageReport(const QString &pageUrl, const QString &pageSource, const QString &pageAjax, int browserMajor,
                      const std::atomic<bool> *stop = nullptr);

} // namespace orvix
