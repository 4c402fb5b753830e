// The client's records without a network: dates, cookies, header texts and bodies.
#include "services/winhttp_x.h"

#include <gtest/gtest.h>

using namespace orvix;

TEST(InternetDate, ReadsTheFormsTheServicesSend)
{
    struct Case { const char *text; bool ok; const char *utc; };
    const Case cases[] = {
        {"Wed, 09 Jun 2021 10:18:14 GMT", true, "2021-06-09T10:18:14Z"},
        {"09 jun 2021 10:18:14 UTC", true, "2021-06-09T10:18:14Z"},
        {"Wed, 09 Jun 2021 10:18:14 PDT", true, "2021-06-09T17:18:14Z"},
        // Local time ahead of UTC: the offset is taken back.
        {"Wed, 09 Jun 2021 10:18:14 +0200", true, "2021-06-09T08:18:14Z"},
        {"Wed, 09 Jun 2021 10:18:14 (-0130)", true, "2021-06-09T11:48:14Z"},
        // Dashes before the time are deleted, so this one is four tokens short of a date.
        {"Wed, 09-Jun-2021 10:18:14 GMT", false, ""},
        {"Wed, 09 Jum 2021 10:18:14 GMT", false, ""},
        {"Wed, 09 Jun 2021 10:18:14 XYZ", false, ""},
        {"Wed, 09 Jun 2021 10:18:14", false, ""},
        {"Wed, 31 Feb 2021 10:18:14 GMT", false, ""},
    };
    for (const Case &c : cases) {
        QDateTime when;
        EXPECT_EQ(ParseInternetDate(QString::fromLatin1(c.text), when), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(when.toUTC().toString(Qt::ISODate), QString::fromLatin1(c.utc)) << c.text;
        }
    }
}

TEST(ResponseCookie, ParsesAndFormatsSetCookieValues)
{
    TWinHTTPResponseCookie c;
    c.setHeaderValue(QStringLiteral("id=42; Path=\"/x\"; Secure"));
    EXPECT_EQ(c.Name, QStringLiteral("id"));
    EXPECT_EQ(c.Value, QStringLiteral("42"));
    EXPECT_EQ(c.Path, QStringLiteral("/x"));
    EXPECT_TRUE(c.Secure);
    EXPECT_FALSE(c.Expires.isValid());

    c.setHeaderValue(QStringLiteral("id=42"));
    EXPECT_EQ(c.Path, QStringLiteral("/"));
    EXPECT_FALSE(c.Secure);

    c.setHeaderValue(QStringLiteral("s=a b; domain=.varnel.example; expires=Wed, 09 Jun 2021 10:18:14 GMT; path=/"));
    ASSERT_TRUE(c.Expires.isValid());
    EXPECT_EQ(c.Domain, QStringLiteral(".varnel.example"));
    EXPECT_EQ(c.HeaderValue(), QStringLiteral("s=a+b; domain=.varnel.example; path=/; expires=Wed, 09-Jun-2021 10:18:14 GMT"));

    // The dashed form does not read back as a date: the cookie keeps no expiry.
    c.setHeaderValue(QStringLiteral("s=1; expires=Wed, 09-Jun-2021 10:18:14 GMT; secure"));
    EXPECT_FALSE(c.Expires.isValid());
    EXPECT_EQ(c.HeaderValue(), QStringLiteral("s=1; path=/; secure"));
}

TEST(RequestHeader, RawTextHasTheSetHeadersInOrderAndParsesBack)
{
    TWinHTTPRequestHeader h;
    QList<int> changes;
    h.OnChange = [&changes](int index) { changes << index; };
    h.setValue(rhUserAgent, QStringLiteral(" agent "));
    h.setValue(rhUserAgent, QStringLiteral(" agent ")); // same value: no notice
    h.setValue(rhReferer, QStringLiteral("http://a/"));
    h.CustomHeaders << QStringLiteral("X-One: 1") << QStringLiteral("X-Empty: ") << QStringLiteral(":novalue");
    h.Cookies << QStringLiteral("a=1") << QStringLiteral("b=2 ");
    EXPECT_EQ(changes, (QList<int>{rhUserAgent, rhReferer}));
    EXPECT_EQ(h.RawHeaderText(), QStringLiteral("Accept: text/html, */*\r\nReferer: http://a/\r\nUser-Agent: agent\r\n"
                                                "X-One: 1\r\nCookie: a=1; b=2\r\n"));

    TWinHTTPRequestHeader back;
    back.OnChange = [&changes](int index) { changes << index; };
    back.setRawHeaderText(QStringLiteral("user-agent:  x \r\nX-Two: 2\r\nCookie: a=1%3B;  b=c+d%%; e=%zz\r\n\r\n"));
    EXPECT_EQ(changes.last(), -1);
    EXPECT_EQ(back.value(rhUserAgent), QStringLiteral("x"));
    EXPECT_EQ(back.value(rhAccept), QString());
    EXPECT_EQ(back.CustomHeaders, QStringList{QStringLiteral("X-Two: 2")});
    EXPECT_EQ(back.Cookies, (QStringList{QStringLiteral("a=1;"), QStringLiteral("b=c d%"), QStringLiteral("e=%zz")}));
}

TEST(ResponseHeader, FindsTheStatusInEitherForm)
{
    struct Case { const char *raw; const char *protocol; const char *status; const char *reason; };
    const Case cases[] = {
        {"HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n", "HTTP/1.1", "404", "Not Found"},
        {"200 OK\r\n", "", "200", "OK"},
        {"X-Via: proxy\r\nStatus: 302 Found\r\n", "", "302", "Found"},
        {"", "", "", ""},
    };
    for (const Case &c : cases) {
        TWinHTTPResponseHeader h;
        h.setRawHeaderText(QString::fromLatin1(c.raw));
        EXPECT_EQ(h.HttpProtocolVersion, QString::fromLatin1(c.protocol)) << c.raw;
        EXPECT_EQ(h.StatusCode, QString::fromLatin1(c.status)) << c.raw;
        EXPECT_EQ(h.ReasonPhrase, QString::fromLatin1(c.reason)) << c.raw;
    }
    TWinHTTPResponseHeader h;
    h.setRawHeaderText(QStringLiteral("HTTP/1.1 200 OK\r\ncontent-TYPE:  gzip \r\nSet-Cookie: a=1\r\nSet-Cookie:  \r\n"
                                      "X-Own: yes\r\nServer: s\r\n"));
    EXPECT_EQ(h.ContentType(), QStringLiteral("gzip"));
    EXPECT_EQ(h.value(rsServer), QStringLiteral("s"));
    ASSERT_EQ(h.Cookies.size(), 1);
    EXPECT_EQ(h.Cookies[0].Name, QStringLiteral("a"));
    EXPECT_EQ(h.CustomHeaders, QStringList{QStringLiteral("X-Own: yes")});
}

TEST(WinHttpBodies, FormAndMultipartBodiesAsBuilt)
{
    TWinHttpX client;
    client.AddVariable(QStringLiteral("a"), QStringLiteral("1"));
    client.AddVariable(QStringLiteral("msg"), QStringLiteral("a b&c=d/é+?"));
    client.AddVariable(QStringLiteral("a"), QStringLiteral("2")); // replaced where it stood
    EXPECT_EQ(client.BuildFormBody(), QByteArray("a=2&msg=a%20b%26c%3Dd%2F%C3%A9%2B%3F"));

    EXPECT_THROW(client.AddMultipartVarBin(QStringLiteral("f"), QStringLiteral("x.bin"), "x"), EOrvix);
    client.MultipartPost = true;
    client.AddMultipartVarBin(QStringLiteral("f"), QStringLiteral("x.bin"), "\x01\x02");
    client.AddMultipartVarBin(QStringLiteral("f"), QStringLiteral("y.bin"), "yy");
    const QByteArray b = "-----------------------------7cf87224d2020a";
    EXPECT_EQ(client.BuildMultipartBody(),
              "--" + b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n2\r\n"
              "--" + b + "\r\nContent-Disposition: form-data; name=\"msg\"\r\n\r\na b&c=d/\xC3\xA9+?\r\n"
              "--" + b + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"y.bin\"\r\n"
              "Content-Transfer-Encoding: binary\r\n\r\nyy\r\n--" + b + "--\r\n");

    TWinHttpX empty;
    empty.MultipartPost = true;
    EXPECT_THROW(empty.BuildMultipartBody(), EOrvix);

    TWinHttpX b64;
    b64.AddMultipartVar_B64(QStringLiteral("d"), QByteArray(48, 'x')); // 64 characters exactly
    EXPECT_EQ(b64.PostVariables[0]._value, QString::fromLatin1(QByteArray(48, 'x').toBase64()) + u'\r');
}
