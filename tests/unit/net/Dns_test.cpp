#include "net/Dns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "NetTestEnv.h"
#include "platform/Timer.h"
#include "support/LoopbackDnsStub.h"

namespace {

using nettest::NetTest;

std::string AsText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string QueryFor(const char* host) {
    return AsText(BuildDnsQuery(host, 0x1234));
}

uint32_t Addr(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return MakeNetAddr(a, b, c, d);
}

int Parse(const std::string& query, const std::string& reply, uint32_t* result) {
    return ParseDnsReply(reinterpret_cast<const uint8_t*>(reply.data()), reply.size(), query.size(), result);
}

TEST(DnsQuery, PacketBytesAndLength) {
    const uint16_t id = 0xBEEF;
    const std::vector<uint8_t> packet = BuildDnsQuery("a.bc.def", id);
    std::string expected(2, '\0');
    std::memcpy(&expected[0], &id, 2);                                     // machine order, no swap
    const uint8_t rest[] = {0x01, 0x00, 0, 1,   0,   0, 0,   0,   0,   0,  // flags, counts
                            1,    'a',  2, 'b', 'c', 3, 'd', 'e', 'f', 0,  // QNAME
                            0,    1,    0, 1};                             // QTYPE, QCLASS
    expected.append(reinterpret_cast<const char*>(rest), sizeof rest);
    EXPECT_EQ(AsText(packet), expected);
    EXPECT_EQ(packet.size(), 9u + 17u);  // strlen of the label form + 17
}

TEST(DnsQuery, NameForms) {
    // A final dot is the root label: the same query as without it.
    EXPECT_EQ(QueryFor("a.bc."), QueryFor("a.bc"));
    // Names that would silently become another query, or cannot be sent at all.
    for (const char* bad : {"", ".", "a..b", ".a", "a.b..",
                            "x123456789012345678901234567890123456789012345678901234567890123.com"}) {
        EXPECT_TRUE(BuildDnsQuery(bad, 1).empty()) << bad;
    }
    EXPECT_TRUE(BuildDnsQuery(nullptr, 1).empty());
    EXPECT_FALSE(
        BuildDnsQuery("x12345678901234567890123456789012345678901234567890123456789012.com", 1).empty());
}

TEST(DnsReply, CnameThenAddressesInOrder) {
    const std::string q = QueryFor("www.example.test");
    DnsRecord cname;
    cname.m_type = 5;
    cname.m_data = DnsWireName("cdn.example.test");
    DnsRecord a2 = ARecord(10, 0, 0, 2);
    a2.m_owner = std::string("\xC0\x2E", 2);  // points at the CNAME target
    const std::string reply = MakeDnsReply(q, {cname, ARecord(10, 0, 0, 1), a2});
    uint32_t result[kDnsResultSize] = {};
    ASSERT_EQ(Parse(q, reply, result), 0);
    ASSERT_EQ(result[0], 2u);
    EXPECT_EQ(result[1], Addr(10, 0, 0, 1));
    EXPECT_EQ(result[2], Addr(10, 0, 0, 2));
}

TEST(DnsReply, AtMostTwentyAnswers) {
    const std::string q = QueryFor("many.test");
    std::vector<DnsRecord> records;
    for (int i = 1; i <= 25; ++i) records.push_back(ARecord(10, 0, 1, static_cast<uint8_t>(i)));
    uint32_t result[kDnsResultSize + 4] = {};
    result[kDnsResultSize] = 0xDEADBEEF;  // must stay untouched
    ASSERT_EQ(Parse(q, MakeDnsReply(q, records), result), 0);
    EXPECT_EQ(result[0], 20u);
    EXPECT_EQ(result[20], Addr(10, 0, 1, 20));
    EXPECT_EQ(result[kDnsResultSize], 0xDEADBEEFu);
}

TEST(DnsReply, NoAddressIsFailure) {
    const std::string q = QueryFor("none.test");
    DnsRecord cname;
    cname.m_type = 5;
    cname.m_data = DnsWireName("other.test");
    DnsRecord shortA = ARecord(1, 2, 3, 4);
    shortA.m_data.resize(2);  // an A record too short to be an address is not one
    uint32_t result[kDnsResultSize] = {};
    EXPECT_EQ(Parse(q, MakeDnsReply(q, {}), result), -1);
    EXPECT_EQ(Parse(q, MakeDnsReply(q, {cname}), result), -1);
    EXPECT_EQ(Parse(q, MakeDnsReply(q, {shortA}), result), -1);
    EXPECT_EQ(result[0], 0u);
}

// Outside input that must never be read past or looped over.
TEST(DnsReply, MalformedRepliesFail) {
    const std::string q = QueryFor("evil.test");
    const std::string good = MakeDnsReply(q, {ARecord(10, 9, 9, 9)});
    DnsRecord loop = ARecord(1, 1, 1, 1);
    loop.m_owner = std::string("\xC0", 1) + static_cast<char>(q.size());  // points at itself
    DnsRecord pastEnd = ARecord(1, 1, 1, 1);
    pastEnd.m_owner = std::string("\xFF\xFF", 2);
    DnsRecord twoStep = ARecord(1, 1, 1, 1);
    twoStep.m_owner = std::string("\x01x\xC0", 3) + static_cast<char>(q.size());  // label then back to itself
    DnsRecord longName = ARecord(1, 1, 1, 1);
    longName.m_owner.clear();
    for (int i = 0; i < 5; ++i) longName.m_owner += static_cast<char>(60) + std::string(60, 'n');
    longName.m_owner += '\0';
    DnsRecord badCname;
    badCname.m_type = 5;
    badCname.m_data = std::string("\xC0\xF0", 2);

    struct Case {
        const char* what;
        std::string reply;
    } cases[] = {
        {"pointer to itself", MakeDnsReply(q, {loop})},
        {"pointer past the datagram", MakeDnsReply(q, {pastEnd})},
        {"loop through a label", MakeDnsReply(q, {twoStep})},
        {"name over 255 bytes", MakeDnsReply(q, {longName})},
        {"CNAME data pointing outside", MakeDnsReply(q, {badCname})},
        {"truncated inside the record", good.substr(0, good.size() - 2)},
        {"truncated inside the fixed part", good.substr(0, q.size() + 2 + 5)},
        {"more answers announced than sent", MakeDnsReply(q, {ARecord(1, 1, 1, 1)}, 3)},
        {"header only", good.substr(0, 7)},
    };
    for (const Case& c : cases) {
        uint32_t result[kDnsResultSize] = {};
        EXPECT_EQ(Parse(q, c.reply, result), -1) << c.what;
    }
    uint32_t result[kDnsResultSize] = {};
    EXPECT_EQ(Parse(q, good, result), 0);
}

TEST(DnsAddressText, TextToAddressTable) {
    struct Case {
        const char* text;
        bool ok;
        uint32_t addr;
    } cases[] = {
        {"010.1.1.1", true, Addr(10, 1, 1, 1)},
        {"255.255.255.255", true, Addr(255, 255, 255, 255)},
        {"0.0.0.0", true, Addr(0, 0, 0, 0)},
        {"1..1.1", false, 0},
        {".1.1.1", false, 0},
        {"1.1.1.1.", false, 0},
        {"1.1.1", false, 0},
        {"1.1.1.1.1", false, 0},
        {"256.1.1.1", false, 0},
        {"1.1.1.-1", false, 0},
        {"1.1.1.1 ", false, 0},
        {"a.1.1.1", false, 0},
        {"", false, 0},
        {"0000000000001.1.1.1", true, Addr(1, 1, 1, 1)},
    };
    for (const Case& c : cases) {
        uint32_t out = 0xFFFFFFFF;
        EXPECT_EQ(TextToAddress(kAddressFamilyIPv4, c.text, &out), c.ok ? 1 : 0) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.addr) << c.text;
        }
    }
    uint32_t out = 0;
    EXPECT_EQ(TextToAddress(23, "1.1.1.1", &out), 0);
}

TEST(DnsAddressText, AddressToText) {
    const uint8_t addr[4] = {192, 168, 0, 10};
    char buffer[16];
    EXPECT_EQ(AddressToText(kAddressFamilyIPv4, addr, buffer, 15), nullptr);
    ASSERT_EQ(AddressToText(kAddressFamilyIPv4, addr, buffer, 16), buffer);
    EXPECT_STREQ(buffer, "192.168.0.10");
    const uint8_t widest[4] = {255, 255, 255, 255};
    EXPECT_STREQ(AddressToText(kAddressFamilyIPv4, widest, buffer, 16), "255.255.255.255");
}

// DnsResolve against the stub, with the timing the wait must keep.
class DnsResolveTest : public NetTest {};

TEST_F(DnsResolveTest, AnswersFromTheServer) {
    CLoopbackDnsStub stub([](const std::string& query) {
        return std::vector<DnsDatagram>{{MakeDnsReply(query, {ARecord(127, 0, 0, 9)})}};
    });
    uint32_t result[kDnsResultSize] = {};
    ASSERT_EQ(DnsResolve("files.kelvora.test", result, 2000, "127.0.0.1", stub.Port()), 0);
    EXPECT_EQ(result[0], 1u);
    EXPECT_EQ(result[1], Addr(127, 0, 0, 9));
    ASSERT_EQ(stub.Queries().size(), 1u);
    // Everything but the ID is fixed; the ID is drawn anew for every query.
    const std::string sent = stub.Queries()[0];
    EXPECT_EQ(sent.substr(2), QueryFor("files.kelvora.test").substr(2));
    std::set<std::string> ids{sent.substr(0, 2)};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(DnsResolve("files.kelvora.test", result, 2000, "127.0.0.1", stub.Port()), 0);
        ids.insert(stub.Queries().back().substr(0, 2));
    }
    EXPECT_GT(ids.size(), 1u) << "three queries, one ID";
}

TEST_F(DnsResolveTest, ForgedRepliesAreIgnoredWhileTheWaitGoesOn) {
    CLoopbackDnsStub stub([](const std::string& query) {
        std::string wrongId = MakeDnsReply(query, {ARecord(6, 6, 6, 6)});
        wrongId[0] = static_cast<char>(wrongId[0] ^ 0x5A);
        DnsDatagram otherPort{MakeDnsReply(query, {ARecord(7, 7, 7, 7)})};
        otherPort.m_fromOtherPort = true;
        std::string otherName = MakeDnsReply(query, {ARecord(8, 8, 8, 8)});
        otherName[13] = static_cast<char>(otherName[13] ^ 0x01);  // first letter of the echoed name
        std::string otherType = MakeDnsReply(query, {ARecord(8, 8, 8, 9)});
        otherType[query.size() - 3] = 28;  // AAAA
        std::string notAResponse = MakeDnsReply(query, {ARecord(9, 9, 9, 9)});
        notAResponse[2] = static_cast<char>(notAResponse[2] & 0x7F);  // QR clear
        std::string nameError = MakeDnsReply(query, {ARecord(10, 10, 10, 10)});
        nameError[3] = static_cast<char>(nameError[3] | 3);  // RCODE 3
        // The letters' case may change on the way back; the answer is still this query's.
        std::string upperCase = MakeDnsReply(query, {ARecord(127, 0, 0, 5)});
        upperCase[13] = static_cast<char>(upperCase[13] - 'a' + 'A');
        DnsDatagram real{upperCase, 200};
        return std::vector<DnsDatagram>{{wrongId}, otherPort, {otherName}, {otherType}, {notAResponse},
                                        {nameError}, real};
    });
    uint32_t result[kDnsResultSize] = {};
    ASSERT_EQ(DnsResolve("x.test", result, 2000, "127.0.0.1", stub.Port()), 0);
    EXPECT_EQ(result[0], 1u);
    EXPECT_EQ(result[1], Addr(127, 0, 0, 5));
}

TEST_F(DnsResolveTest, LateOrMissingReplyTimesOut) {
    CLoopbackDnsStub stub([](const std::string& query) {
        return std::vector<DnsDatagram>{{MakeDnsReply(query, {ARecord(127, 0, 0, 5)}), 700}};
    });
    uint32_t result[kDnsResultSize] = {};
    const uint32_t start = GetTickMs();
    EXPECT_EQ(DnsResolve("late.test", result, 300, "127.0.0.1", stub.Port()), -1);
    const uint32_t took = GetTickMs() - start;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 650u);

    CLoopbackDnsStub silent([](const std::string&) { return std::vector<DnsDatagram>{}; });
    EXPECT_EQ(DnsResolve("never.test", result, 200, "127.0.0.1", silent.Port()), -1);
}

TEST_F(DnsResolveTest, BadArguments) {
    uint32_t result[kDnsResultSize] = {};
    EXPECT_EQ(DnsResolve(nullptr, result, 100, "127.0.0.1", 9), -1);
    EXPECT_EQ(DnsResolve("a.test", nullptr, 100, "127.0.0.1", 9), -1);
    EXPECT_EQ(DnsResolve("a.test", result, 100, nullptr, 9), -1);
    EXPECT_EQ(DnsResolve("a.test", result, 100, "not-an-address", 9), -1);
    EXPECT_EQ(DnsResolve("a..test", result, 100, "127.0.0.1", 9), -1);
}

}  // namespace
