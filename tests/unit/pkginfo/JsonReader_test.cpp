// The reply reader against the JSON library the reply format was defined with: for tricky
// bodies and for many random mutations of real replies, both must accept the same bodies, give
// the same version and address, and reject with the same step.
#include <gtest/gtest.h>
#include <json/json.h>

#include <random>
#include <string>

#include "pkginfo/CReadPkgInfoThread.h"

namespace {

// The reading rules on the library, as the installer applied them before it had its own reader.
std::string ReferenceOutcome(const std::string& body) {
    Json::Value root;
    Json::Reader reader;
    try {
        if (!reader.parse(body, root, true)) return "error: parse decrypt data error";
    } catch (const std::exception&) {
        // Nesting beyond the library's limit: a parse failure.
        return "error: parse decrypt data error";
    }
    const char* step = "root member not exist";
    try {
        if (!root.isMember("status") || !root.isMember("message") || !root.isMember("data")) throw step;
        step = "code error";
        if (root["status"].asInt() != 0) throw step;
        step = "data member not exist";
        const Json::Value& data = root["data"];
        if (!data.isMember("versionInfo")) throw step;
        const Json::Value& info = data["versionInfo"];
        if (!info.isMember("version_code") || !info.isMember("url")) throw step;
        return "version=" + info["version_code"].asString() + " url=" + info["url"].asString();
    } catch (const char*) {
    } catch (const Json::Exception&) {
    }
    return std::string("error: ") + step;
}

std::string Outcome(const std::string& body) {
    try {
        const PkgInfoData data = CReadPkgInfoThread::ParseReply(body);
        return "version=" + data.m_version + " url=" + data.m_url;
    } catch (const char* message) {
        return std::string("error: ") + message;
    }
}

std::string Reply(const std::string& status, const std::string& code, const std::string& url) {
    return "{\"status\":" + status +
           ",\"message\":\"ok\",\"data\":{\"versionInfo\":{\"version_code\":" + code + ",\"url\":" + url +
           "}}}";
}

TEST(JsonReader, AgreesWithTheReferenceOnTrickyBodies) {
    const std::string nested(1000, '[');
    const std::string tricky[] = {
        Reply("0", "\"3.1.2.450\"", "\"http://h/x.exe\""),
        Reply("-0", "1.5", "-2"),
        Reply("0.99", "1e5", "1.e2"),
        Reply("-0.5", "1E+2", "0.1"),
        Reply("false", "9223372036854775807", "9223372036854775808"),
        Reply("0", "18446744073709551615", "18446744073709551616"),
        Reply("0", "-9223372036854775808", "-9223372036854775809"),
        Reply("0", "1e400", "\"u\""),
        Reply("0", "1e-400", "\"u\""),
        Reply("0", "1e", "\"u\""),
        Reply("0", "-", "\"u\""),
        Reply("0", "-.5", "007"),
        Reply("0", "1.", "\"u\""),
        Reply("true", "\"1\"", "\"u\""),
        Reply("2147483648", "\"1\"", "\"u\""),
        Reply("-2147483649.0", "\"1\"", "\"u\""),
        Reply("0", "\"\\u00e9\\u4e2d\\ud83d\\ude00\"", "\"\\/\\b\\f\\n\\r\\t\\\"\\\\\""),
        Reply("0", "\"\\ud83d\"", "\"u\""),
        Reply("0", "\"\\ud83dabcdef\"", "\"u\""),
        Reply("0", "\"\\ud83d\\u0041\"", "\"\\udc00\""),
        Reply("0", "\"\\u12g4\"", "\"u\""),
        Reply("0", "\"\\x\"", "\"u\""),
        Reply("0", "\"a\\\"", "\"u\""),
        Reply("0", "nul", "\"u\""),
        Reply("0", "truex", "\"u\""),
        Reply("0", "\"1\" /* c */", "// line\n\"u\""),
        "/* a */ {\"status\":0 /*b*/ "
        ",\"message\":1,\"data\":{\"versionInfo\":{\"version_code\":1,\"url\":2}}}",
        "{\"status\":0 /*no comma*/ \"message\":1,\"data\":{}}",
        "{\"\":1,}",
        "{\"status\":0,\"message\":1,\"data\":{\"versionInfo\":{\"version_code\":1,\"url\":2,\"\":3,}}}",
        "{\"status\":0,\"message\":1,\"data\":{\"versionInfo\":{\"version_code\":1,\"url\":2,}}}",
        "{\"status\":1,\"status\":0,\"message\":1,\"data\":{\"versionInfo\":{\"version_code\":[],\"url\":2,"
        "\"version_code\":3}}}",
        "{\"status\":0,\"message\":[1, [2], {}, [ ], [ /*x*/ ]],\"data\":null}",
        "{\"status\":0,\"message\":[1,],\"data\":{}}",
        "{\"status\":0,\"message\":[1 /*x*/ ],\"data\":{\"versionInfo\":{\"version_code\":1,\"url\":2}}}",
        Reply("0", "1", "2") + " trailing text",
        Reply("0", "1", "2") + std::string(1, '\0'),
        std::string("{\"status\":0\0,", 13),
        std::string("\0{}", 3),
        "/* unterminated",
        "// only a comment",
        "/*/ {} */ {}",
        "",
        "   ",
        "null",
        nested,
        std::string(999, '[') + std::string(999, ']'),
    };
    for (const std::string& body : tricky) {
        SCOPED_TRACE(body.substr(0, 200));
        EXPECT_EQ(Outcome(body), ReferenceOutcome(body));
    }
}

TEST(JsonReader, AgreesWithTheReferenceOnMutatedReplies) {
    const std::string seeds[] = {
        Reply("0", "\"3.1.2.450\"", "\"http://127.0.0.1:18481/kelvora/Kelvora_install.exe\""),
        "// c\n{\"status\":-0.5,\"message\":\"\\u4e2d\",\"data\":{\"versionInfo\":{\"version_code\":12.5e1,"
        "\"url\":[true,false,null]},\"x\":{}}} /*t*/",
    };
    const std::string alphabet = "{}[]\",:/*\\-+.0123456789eEtrufalsn \n\tux";
    std::mt19937 random(20261211);
    for (int n = 0; n < 40000; ++n) {
        std::string body = seeds[n % 2];
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !body.empty(); ++e) {
            const size_t at = random() % body.size();
            const char c = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
                case 0:
                    body[at] = c;
                    break;
                case 1:
                    body.insert(body.begin() + static_cast<std::ptrdiff_t>(at), c);
                    break;
                default:
                    body.erase(at, 1 + random() % 3);
                    break;
            }
        }
        const std::string expected = ReferenceOutcome(body);
        ASSERT_EQ(Outcome(body), expected) << "body: " << body;
    }
}

}  // namespace
