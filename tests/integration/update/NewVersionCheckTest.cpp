#include "support/HttpServer.h"
#include "support/TestEnvironment.h"
#include "update/uNewVersionCheck.h"

#include <gtest/gtest.h>
#include <QSslConfiguration>

namespace {

const QByteArray kVersionPath = "/download/version/zorvanbackup-version.html";
const QByteArray kChangesPath = "/download/version/zorvanbackup-changes.html";

TUpdateServer serverAt(const HttpServer& http, int timeoutMsecs = 10000)
{
    TUpdateServer server;
    server.Base = http.base();
    server.ReadTimeoutMsecs = timeoutMsecs;
    return server;
}

TEST(NewVersionCheckTest, ReadsBothPagesWithTheProgramsUserAgent)
{
    HttpServer http;
    ASSERT_TRUE(http.start());
    http.answer(kVersionPath, {200, "11/10\nzorvanbackup.deb\n"});
    http.answer(kChangesPath, {200, "Faster copies\n\nA new dialog\n", HttpAnswer::Chunked});

    const TNewVersion found = CheckForNewVersion(serverAt(http));
    EXPECT_TRUE(found.Offered);
    EXPECT_FALSE(found.MustUpdate);
    EXPECT_EQ(found.Text, "The new version 1.1 is available\n\nWhat's new:\nFaster copies\nA new dialog\n");
    EXPECT_EQ(http.requested, QList<QByteArray>({kVersionPath, kChangesPath}));
    EXPECT_EQ(http.userAgents.value(0), "Mozilla/4.0 (compatible; MyApp)");
}

// Every failure is silent and means no update.
TEST(NewVersionCheckTest, FailuresCountAsNoUpdate)
{
    struct Case
    {
        const char* name;
        std::function<void(HttpServer&)> setUp;
    };
    const QList<Case> cases{
        {"one-line page",
         [](HttpServer& h) {
             h.answer(kVersionPath, {200, "12/11\n"});
         }},
        {"no slash",
         [](HttpServer& h) {
             h.answer(kVersionPath, {200, "1211\nx\n"});
         }},
        {"version page missing", [](HttpServer&) {}},
        {"server error",
         [](HttpServer& h) {
             h.answer(kVersionPath, {500, "12/11\nx\n"});
         }},
        {"changes page missing",
         [](HttpServer& h) {
             h.answer(kVersionPath, {200, "12/11\nx\n"});
         }},
        {"eleven redirects",
         [](HttpServer& h) {
             h.redirects(kVersionPath, 11, "/real-version");
             h.answer("/real-version", {200, "12/11\nx\n"});
         }},
        {"stalls past the time-out",
         [](HttpServer& h) {
             h.answer(kVersionPath, {200, "12/11\nx\n", HttpAnswer::Stall});
         }},
    };
    for (const Case& c : cases) {
        HttpServer http;
        ASSERT_TRUE(http.start());
        http.answer(kChangesPath, {200, "change\n"});
        c.setUp(http);
        if (QByteArray(c.name) == "changes page missing")
            http.answer(kChangesPath, {404, {}});
        EXPECT_FALSE(CheckForNewVersion(serverAt(http, 300)).Offered) << c.name;
    }
}

TEST(NewVersionCheckTest, FollowsTenRedirects)
{
    HttpServer http;
    ASSERT_TRUE(http.start());
    http.redirects(kVersionPath, 10, "/real-version");
    http.answer("/real-version", {200, "12/11\nx\n"});
    http.answer(kChangesPath, {200, "change\n"});
    const TNewVersion found = CheckForNewVersion(serverAt(http));
    EXPECT_TRUE(found.Offered);
    EXPECT_TRUE(found.MustUpdate);
}

TEST(NewVersionCheckTest, HttpsWithACertificateTheConfigurationTrusts)
{
    HttpServer https(true);
    ASSERT_TRUE(https.makeCertificate(TestEnvironment::makeFolder("tls")))
        << "openssl could not make a certificate";
    ASSERT_TRUE(https.start());
    https.answer(kVersionPath, {200, "12/11\nx\n"});
    https.answer(kChangesPath, {200, "change\n"});

    // Not trusted yet: the check fails silently.
    EXPECT_FALSE(CheckForNewVersion(serverAt(https)).Offered);

    const QSslConfiguration saved = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = saved;
    trusting.addCaCertificate(https.certificate());
    QSslConfiguration::setDefaultConfiguration(trusting);
    const TNewVersion found = CheckForNewVersion(serverAt(https));
    QSslConfiguration::setDefaultConfiguration(saved);
    EXPECT_TRUE(found.Offered);
    EXPECT_TRUE(found.MustUpdate);
}

} // namespace
