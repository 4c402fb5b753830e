// Requests through a real HTTP proxy (tinyproxy, started here on a free port) to local plain
// and secure servers: the answer that counts is the server's, and a proxy's refusal names the
// proxy. Trusted authorities come from the environment, as for the curl command line.

#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "local_servers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <httplib.h>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include <sys/prctl.h>

using namespace orvix;
using orvix::test::raisedBy;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(ORVIX_TLS_FIXTURES "/") + QLatin1String(name);
}

const QByteArray kBody = QByteArray("\xFF\xD8\xFF picture bytes ").repeated(500);

// A variable set for the test's lifetime and put back afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_had(qEnvironmentVariableIsSet(name))
    {
        m_old = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

class Tinyproxy
{
public:
    explicit Tinyproxy(const QString &basicAuth = QString())
    {
        m_port = orvix::test::UnusedPort();
        QFile conf(m_dir.filePath(QStringLiteral("tinyproxy.conf")));
        conf.open(QIODevice::WriteOnly);
        QByteArray text = "Listen 127.0.0.1\nPort " + QByteArray::number(m_port)
                          + "\nTimeout 30\nAllow 127.0.0.1\nMaxClients 20\nLogLevel Critical\nDisableViaHeader Yes\n";
        if (!basicAuth.isEmpty())
            text += "BasicAuth " + basicAuth.toLatin1() + '\n';
        conf.write(text);
        conf.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        // The proxy goes with this test program however it ends (a failed assertion, a
        // sanitizer report, a kill), so no proxy outlives the run.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), conf.fileName()});
        m_started = m_process.waitForStarted(5000);
        // Ready once it accepts connections.
        for (int i = 0; m_started && i < 100 && !accepts(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~Tinyproxy()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }
    bool ready() { return m_started && accepts(); }
    QString output() { return QString::fromLocal8Bit(m_process.readAll()); }
    int port() const { return m_port; }
    QByteArray address() const { return "http://127.0.0.1:" + QByteArray::number(m_port); }

private:
    bool accepts() const
    {
        httplib::Client probe("127.0.0.1", m_port);
        probe.set_connection_timeout(0, 200000);
        return bool(probe.Get("http://127.0.0.1:1/"));
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    bool m_started = false;
};

template<typename Server>
class Serving
{
public:
    template<typename... Args>
    explicit Serving(Args &&...args) : m_server(std::forward<Args>(args)...)
    {
        m_server.Get("/picture.jpg", [](const httplib::Request &, httplib::Response &res) {
            res.set_content(kBody.toStdString(), "image/jpeg");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = orvix::test::ListenInBackground(m_server);
    }
    ~Serving()
    {
        m_server.stop();
        m_thread.join();
    }
    int port() const { return m_port; }

private:
    Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

using TlsServer = Serving<httplib::SSLServer>;
using PlainServer = Serving<httplib::Server>;

class ProxyTest : public ::testing::Test
{
protected:
    ScopedEnv noProxy{"no_proxy", QByteArray()};
    ScopedEnv noProxyUpper{"NO_PROXY", QByteArray()};
    ScopedEnv allProxy{"all_proxy", QByteArray()};
    TlsServer secure{fixture("good.pem").toLocal8Bit().constData(), fixture("good.key").toLocal8Bit().constData()};
    PlainServer plain;

    QString secureUrl() const { return QStringLiteral("https://127.0.0.1:%1/picture.jpg").arg(secure.port()); }
    QString plainUrl() const { return QStringLiteral("http://127.0.0.1:%1/picture.jpg").arg(plain.port()); }
};

} // namespace

TEST_F(ProxyTest, SizeCheckSeesTheServersAnswerNotTheProxys)
{
    Tinyproxy proxy;
    ASSERT_TRUE(proxy.ready()) << proxy.output().toStdString();
    const ScopedEnv https("https_proxy", proxy.address());
    const ScopedEnv http("http_proxy", proxy.address());
    const ScopedEnv trust("CURL_CA_BUNDLE", fixture("ca.pem").toLocal8Bit());

    for (const QString &url : {secureUrl(), plainUrl()}) {
        TIEHttp client;
        client.UnzipMethod = u'G';
        client.ExecuteUrl(url);
        EXPECT_EQ(client.ResultMs(), kBody) << url.toStdString();
        // What the media worker compares before it keeps a picture.
        EXPECT_EQ(client.ContentSize(), kBody.size()) << url.toStdString();
        EXPECT_EQ(client.BytesReadTotal(), client.ContentSize()) << url.toStdString();
        EXPECT_EQ(client.StatusCode(), 200);
        EXPECT_FALSE(client.ResponseHeaders().join(u'\n').contains(QStringLiteral("established"), Qt::CaseInsensitive))
            << client.ResponseHeaders().join(u'\n').toStdString();
    }
}

TEST_F(ProxyTest, RefusalByTheProxyNamesTheProxy)
{
    Tinyproxy proxy(QStringLiteral("user secret"));
    ASSERT_TRUE(proxy.ready()) << proxy.output().toStdString();
    const ScopedEnv https("https_proxy", proxy.address());
    const ScopedEnv http("http_proxy", proxy.address());
    const ScopedEnv trust("CURL_CA_BUNDLE", fixture("ca.pem").toLocal8Bit());
    const QString expected = QStringLiteral("TIEHttp error: 407 from proxy 127.0.0.1:%1").arg(proxy.port());

    for (const QString &url : {secureUrl(), plainUrl()}) {
        TIEHttp client;
        EXPECT_EQ(raisedBy([&] { client.ExecuteUrl(url); }), expected) << url.toStdString();

        client.proxyUsername = QStringLiteral("user");
        client.proxyPassword = QStringLiteral("secret");
        client.ExecuteUrl(url);
        EXPECT_EQ(client.ResultMs(), kBody) << url.toStdString();
    }
}

TEST(IEHttpTrust, AuthoritiesFromTheEnvironment)
{
    TlsServer server(fixture("good.pem").toLocal8Bit().constData(), fixture("good.key").toLocal8Bit().constData());
    const QString url = QStringLiteral("https://127.0.0.1:%1/picture.jpg").arg(server.port());
    const QByteArray ca = fixture("ca.pem").toLocal8Bit();
    struct Case { const char *name; QByteArray bundle; QByteArray certFile; const char *raised; };
    const Case cases[] = {
        {"CURL_CA_BUNDLE", ca, QByteArray(), ""},
        {"SSL_CERT_FILE", QByteArray(), ca, ""},
        {"neither", QByteArray(), QByteArray(), "Wininet error # 12045 : (Invalid CA Cert)"},
    };
    for (const Case &c : cases) {
        const ScopedEnv bundle("CURL_CA_BUNDLE", c.bundle);
        const ScopedEnv certFile("SSL_CERT_FILE", c.certFile);
        TIEHttp client;
        EXPECT_EQ(raisedBy([&] { client.ExecuteUrl(url); }), QString::fromLatin1(c.raised)) << c.name;
    }
}
