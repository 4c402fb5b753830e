// Secure requests: certificates are verified, and each kind of bad certificate has its code.
// The certificates in tls/ come from a test authority (ca.pem) and are valid until 2124,
// except expired.pem (2000).

#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "local_servers.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <thread>

using namespace orvix;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(ORVIX_TLS_FIXTURES "/") + QLatin1String(name);
}

class TlsServer
{
public:
    explicit TlsServer(const char *name)
        : m_server(fixture((QByteArray(name) + ".pem").constData()).toLocal8Bit().constData(),
                   fixture((QByteArray(name) + ".key").constData()).toLocal8Bit().constData())
    {
        m_server.Get("/", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("secret", "text/plain");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = test::ListenInBackground(m_server);
    }
    ~TlsServer()
    {
        m_server.stop();
        m_thread.join();
    }
    QString url() const { return QStringLiteral("https://127.0.0.1:%1/").arg(m_port); }

private:
    httplib::SSLServer m_server;
    int m_port = 0;
    std::thread m_thread;
};

} // namespace

TEST(IEHttpTls, CertificatesAreVerified)
{
    struct Case { const char *cert; bool trustTestAuthority; const char *message; };
    const Case cases[] = {
        {"good", true, ""},
        {"good", false, "Wininet error # 12045 : (Invalid CA Cert)"},
        {"wrongname", true, "Wininet error # 12038 : (Sec Cert CN Invalid)"},
        {"expired", true, "Wininet error # 12035 : (Sec Cert Date Invalid)"},
    };
    for (const Case &c : cases) {
        TlsServer server(c.cert);
        TIEHttp http;
        if (c.trustTestAuthority)
            http.CaCertificates = fixture("ca.pem");
        QString raised;
        try {
            http.ExecuteUrl(server.url());
        } catch (const EOrvix &e) {
            raised = e.message();
        }
        EXPECT_EQ(raised, QString::fromLatin1(c.message)) << c.cert;
        if (raised.isEmpty())
            EXPECT_EQ(http.ResultMs(), QByteArray("secret"));
        else
            EXPECT_TRUE(http.ResultMs().isEmpty()) << c.cert;
    }
}
