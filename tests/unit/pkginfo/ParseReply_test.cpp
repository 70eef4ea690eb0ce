#include <gtest/gtest.h>

#include <string>

#include "pkginfo/CReadPkgInfoThread.h"

namespace {

std::string Reply(const std::string& status, const std::string& versionInfo, const std::string& extra = "") {
    return "{\"status\":" + status + ",\"message\":\"ok\"" + extra +
           ",\"data\":{\"versionInfo\":" + versionInfo + "}}";
}

TEST(ParseReply, AcceptsAndRejectsByTheRules) {
    struct Case {
        const char* name;
        std::string body;
        const char* error;  // null: accepted
        const char* version = "";
        const char* url = "";
    } cases[] = {
        {"plain", Reply("0", R"({"version_code":"3.1.2.450","url":"http://h/x.exe","more":1})"), nullptr,
         "3.1.2.450", "http://h/x.exe"},
        {"number version", Reply("0", R"({"version_code":12,"url":"u"})"), nullptr, "12", "u"},
        {"boolean url", Reply("0", R"({"version_code":"1","url":true})"), nullptr, "1", "true"},
        {"empty version", Reply("0", R"({"version_code":"","url":""})"), nullptr, "", ""},
        {"null status", Reply("null", R"({"version_code":"1","url":"u"})"), nullptr, "1", "u"},
        {"zero float status", Reply("0.0", R"({"version_code":"1","url":"u"})"), nullptr, "1", "u"},
        {"comments", "// served by the test\n" + Reply("0", R"({"version_code":"2","url":"u"})"), nullptr,
         "2", "u"},
        {"status one", Reply("1", R"({"version_code":"1","url":"u"})"), "code error"},
        {"text status", Reply("\"0\"", R"({"version_code":"1","url":"u"})"), "code error"},
        {"status object", Reply("{}", R"({"version_code":"1","url":"u"})"), "code error"},
        {"not json", "<html>busy</html>", "parse decrypt data error"},
        {"truncated", "{\"status\":0,", "parse decrypt data error"},
        {"no message", R"({"status":0,"data":{"versionInfo":{"version_code":"1","url":"u"}}})",
         "root member not exist"},
        {"no status", R"({"message":"","data":{}})", "root member not exist"},
        {"no data", R"({"status":0,"message":""})", "root member not exist"},
        {"root array", "[1,2]", "root member not exist"},
        {"root text", "\"hello\"", "root member not exist"},
        {"no versionInfo", R"({"status":0,"message":"","data":{}})", "data member not exist"},
        {"data not object", R"({"status":0,"message":"","data":[1]})", "data member not exist"},
        {"versionInfo text", Reply("0", "\"x\""), "data member not exist"},
        {"no version_code", Reply("0", R"({"url":"u"})"), "data member not exist"},
        {"no url", Reply("0", R"({"version_code":"1"})"), "data member not exist"},
        {"version_code array", Reply("0", R"({"version_code":[1],"url":"u"})"), "data member not exist"},
        {"url object", Reply("0", R"({"version_code":"1","url":{}})"), "data member not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const PkgInfoData data = CReadPkgInfoThread::ParseReply(c.body);
            ASSERT_EQ(c.error, nullptr) << "accepted";
            EXPECT_EQ(data.m_version, c.version);
            EXPECT_EQ(data.m_url, c.url);
            EXPECT_EQ(data.m_packageSize, 100000808);
            EXPECT_EQ(data.m_requiredSpace, 100673700);
        } catch (const char* message) {
            ASSERT_NE(c.error, nullptr) << "rejected with " << message;
            EXPECT_STREQ(message, c.error);
        }
    }
}

}  // namespace
