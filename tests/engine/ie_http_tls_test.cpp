// Secure requests: certificates are verified, and each kind of bad certificate has its code.
// The certificates in tls/ come from a test authority (ca.pem) and are valid until 2124,
// except expired.pem (2000).

#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "local_servers.h"

#include <gtest/gtest.h>

using namespace orvix;

using test::TlsServer;
using test::tlsFixture;

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
            http.CaCertificates = tlsFixture("ca.pem");
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
