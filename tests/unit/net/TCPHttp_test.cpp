#include "net/TCPHttp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetTestEnv.h"
#include "support/LoopbackHttpServer.h"

namespace {

using nettest::NetTest;
using nettest::ThrownText;

const char kAgent[] = "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";

TEST(ParseUrl, Table) {
    struct Case {
        const char* url;
        const char* host;
        int port;
        const char* path;
    } good[] = {
        {"http://h:8080/a/b", "h", 8080, "/a/b"},
        {"https://h/k/f.exe", "h", 80, "/k/f.exe"},
        {"http://h//a///b/", "h", 80, "/a/b"},
        {"http://h/api/v?x=1&y=/2", "h", 80, "/api/v?x=1&y=/2"},
        {"http://127.0.0.1:18481/kelvora/Kelvora_install.exe", "127.0.0.1", 18481,
         "/kelvora/Kelvora_install.exe"},
    };
    for (const Case& c : good) {
        const UrlParts parts = ParseUrl(c.url);
        EXPECT_EQ(parts.m_host, c.host) << c.url;
        EXPECT_EQ(parts.m_port, c.port) << c.url;
        EXPECT_EQ(parts.m_path, c.path) << c.url;
    }
    for (const char* bad : {"http://h/", "http://h", "http://h:1:2/a", "", "h/a", "http://h:0/a",
                            "http://h:65536/a", "http://h:x/a"}) {
        EXPECT_EQ(ThrownText([&] { ParseUrl(bad); }), "init url failed") << bad;
    }
}

TEST(RequestTexts, BuildersByteForByte) {
    EXPECT_EQ(BuildGetRequest("h", "/api/softversion"),
              "GET /api/softversion HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(BuildGetRequest("", "/x"), "GET /x HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(BuildHeadRequest("", "/x"),
              std::string("HEAD /x HTTP/1.1\r\nAccept:*/*\r\n") + kAgent + "Connection:close\r\n\r\n");
    EXPECT_EQ(
        BuildRangeRequest("dl.test", "/k/f.exe", 0, 1048575),
        std::string("GET /k/f.exe HTTP/1.1\r\nHost:dl.test\r\nAccept:*/*\r\nRange:bytes=0-1048575\r\n") +
            kAgent + "Connection:close\r\n\r\n");
    EXPECT_EQ(BuildRangeRequest("", "/f", 4294967296LL, 4294967299LL),
              std::string("GET /f HTTP/1.1\r\nHost:\r\nAccept:*/*\r\nRange:bytes=4294967296-4294967299\r\n") +
                  kAgent + "Connection:close\r\n\r\n");
}

TEST(ResponseHead, StatusAndLength) {
    struct Case {
        const char* what;
        std::string head;
        const char* status;
        int64_t length;
    } cases[] = {
        {"plain", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", "200", 5},
        {"no reason phrase", "HTTP/1.1 404\r\n\r\n", "404", 0},
        {"status line under 12", "HTTP/1.1 20\r\n\r\n", "", 0},
        {"lower-case name", "HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n", "200", 0},
        {"first of two", "HTTP/1.1 200 OK\r\nContent-Length:7\r\nContent-Length: 9\r\n\r\n", "200", 7},
        {"unreadable", "HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n", "200", 0},
        {"bare line feeds", "HTTP/1.1 206 Partial\n\nContent-Length: 3\r\n\r\n", "206", 3},
    };
    for (const Case& c : cases) {
        CMemoryByteSource source(c.head + "BODY", 1);
        const ResponseHead head = ReadResponseHead(source);
        EXPECT_EQ(head.m_status, c.status) << c.what;
        EXPECT_EQ(head.m_contentLength, c.length) << c.what;
        EXPECT_EQ(source.Rest(), "BODY") << c.what;
    }
    CMemoryByteSource lines("HTTP/1.1 200 OK\r\n\r\n\r\nX: 1\r\n\r\n");
    EXPECT_EQ(ReadResponseHead(lines).m_lines, (std::vector<std::string>{"HTTP/1.1 200 OK"}));

    const std::string longHead = "HTTP/1.1 200 OK\r\nX: " + std::string(5000, 'a') + "\r\n\r\n";
    CMemoryByteSource big(longHead);
    const ResponseHead head = ReadResponseHead(big);
    EXPECT_EQ(head.m_status, "200");
    EXPECT_EQ(big.Rest(), longHead.substr(4096));

    CMemoryByteSource cut("HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(ThrownText([&] { ReadResponseHead(cut); }), "Server can't send data");
}

TEST(Body, ByLengthAndByChunks) {
    CMemoryByteSource ten("0123456789");
    EXPECT_EQ(ReadBody(ten, 5, 0), "01234");
    EXPECT_EQ(ten.Rest(), "56789");
    CMemoryByteSource limited("0123456789");
    EXPECT_EQ(ReadBody(limited, 5, 3), "012");
    CMemoryByteSource shortBody("012");
    EXPECT_EQ(ThrownText([&] { ReadBody(shortBody, 5, 0); }), "Server can't send data");

    struct Case {
        const char* what;
        std::string body;
        const char* result;  // null: "Read body stream error"
    } cases[] = {
        {"one chunk", "4\r\nabcd\r\n0\r\n\r\n", "abcd"},
        {"two chunks, mixed-case hex", "3\r\nabc\r\nA\r\n0123456789\r\n0\r\n\r\n", "abc0123456789"},
        {"empty body", "0\r\n\r\n", ""},
        {"close-delimited text", "<html>hello world</html>", nullptr},
        {"top bit set", "80000000\r\n", nullptr},
        {"over the ceiling", "7FFFFFFF\r\n", nullptr},
    };
    for (const Case& c : cases) {
        CMemoryByteSource source(c.body, 3);
        if (c.result != nullptr) {
            EXPECT_EQ(ReadChunkedBody(source), c.result) << c.what;
        } else {
            EXPECT_EQ(ThrownText([&] { ReadChunkedBody(source); }), "Read body stream error") << c.what;
        }
    }
}

TEST(Body, ChunkLineAndSize) {
    CMemoryByteSource source("1a\r\n0123456789abc");
    EXPECT_EQ(ReadChunkLine(source), "1a\r\n");
    EXPECT_EQ(ReadChunkLine(source), "0123456789");
    EXPECT_EQ(ParseChunkSize("1a\r\n"), 26);
    EXPECT_EQ(ParseChunkSize("\r\n"), 0);
    EXPECT_EQ(ParseChunkSize("0123456789"), -1);
    EXPECT_EQ(ParseChunkSize("4;x\r\n"), 0x400);  // extensions are not parsed
    EXPECT_EQ(ParseChunkSize("FFFFFFFF\r\n"), -1);
}

// The ceiling holds against a server announcing more than it could ever be allowed to send.
TEST(Body, BoundedByTheCeiling) {
    CMemoryByteSource small("abc");
    EXPECT_EQ(ThrownText([&] { ReadBody(small, kMaxBodyBytes + 1, 0); }), "Read body stream error");
    CMemoryByteSource limited("abc");
    EXPECT_EQ(ReadBody(limited, 1LL << 40, 3), "abc");

    // Many chunks that together pass the ceiling.
    std::string chunks;
    const std::string piece(1 << 20, 'z');
    for (int i = 0; i < 17; ++i) chunks += "100000\r\n" + piece + "\r\n";
    chunks += "0\r\n\r\n";
    CMemoryByteSource source(chunks);
    EXPECT_EQ(ThrownText([&] { ReadChunkedBody(source); }), "Read body stream error");
}

class TCPHttpTest : public NetTest {};

TEST_F(TCPHttpTest, GetSendsExactBytesAndReturnsTheBody) {
    CLoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n0123456789");
    CTCPHttp http("127.0.0.1", server.Port());
    EXPECT_EQ(http.HttpGet("pkg.kelvora.test", "/api/softversion", 0), "01234");
    EXPECT_EQ(http.HttpGet("", "/x", 3), "012");
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              "GET /api/softversion HTTP/1.1\r\nHost: pkg.kelvora.test\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(requests[1], "GET /x HTTP/1.1\r\nConnection: close\r\n\r\n");
}

TEST_F(TCPHttpTest, GetResponsesTable) {
    struct Case {
        const char* what;
        const char* reply;
        const char* body;  // null: the call throws `error`
        const char* error;
    } cases[] = {
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n0\r\n\r\n", "abcd",
         ""},
        {"404 reads no body", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc", "", ""},
        {"short status line", "HTTP/1.1 2\r\nContent-Length: 3\r\n\r\nabc", "", ""},
        {"lower-case length read as chunks",
         "HTTP/1.1 200 OK\r\ncontent-length: 6\r\n\r\n2\r\nab\r\n0\r\n\r\n", "ab", ""},
        {"close-delimited", "HTTP/1.1 200 OK\r\n\r\nthe body runs to the close", nullptr,
         "Read body stream error"},
        {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", nullptr, "Server can't send data"},
    };
    for (const Case& c : cases) {
        CLoopbackHttpServer server(c.reply);
        CTCPHttp http("127.0.0.1", server.Port());
        if (c.body != nullptr) {
            EXPECT_EQ(http.HttpGet("h", "/", 0), c.body) << c.what;
        } else {
            EXPECT_EQ(ThrownText([&] { http.HttpGet("h", "/", 0); }), c.error) << c.what;
        }
    }
}

TEST_F(TCPHttpTest, HeadSendsExactBytesAndReturnsLines) {
    CLoopbackHttpServer server(
        "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/k/f.exe\r\nContent-Length: 0\r\n\r\n");
    CTCPHttp http("127.0.0.1", server.Port());
    std::string status;
    const std::vector<std::string> lines =
        http.Head("dl.kelvora.test", "/kelvora/Kelvora_install.exe", status);
    EXPECT_EQ(status, "302");
    EXPECT_EQ(lines, (std::vector<std::string>{"HTTP/1.1 302 Found", "Location: http://127.0.0.1/k/f.exe",
                                               "Content-Length: 0"}));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              std::string("HEAD /kelvora/Kelvora_install.exe HTTP/1.1\r\nHost:dl.kelvora.test\r\n"
                          "Accept:*/*\r\n") +
                  kAgent + "Connection:close\r\n\r\n");
}

TEST_F(TCPHttpTest, RangedGetArrivesAsBuilt) {
    HttpReply reply;
    reply.m_bytes = "HTTP/1.1 206 Partial Content\r\nContent-Length: 4\r\n\r\nwxyz";
    CLoopbackHttpServer server([reply](const std::string&) { return reply; });
    CTCPClient client;
    client.Resolve("127.0.0.1", server.Port());
    client.Connect();
    const std::string request = BuildRangeRequest("127.0.0.1", "/kelvora/Kelvora_install.exe", 100, 199);
    client.SendAll(request);
    const ResponseHead head = ReadResponseHead(client);
    EXPECT_EQ(head.m_status, "206");
    EXPECT_EQ(ReadBody(client, head.m_contentLength, 0), "wxyz");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], request);
}

}  // namespace
