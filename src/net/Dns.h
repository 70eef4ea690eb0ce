// Name resolution: the minimal own DNS resolver (one A query over UDP), the IPv4 text helpers
// and the seam in front of the system resolver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kelvora_config.h"

// Result layout of DnsResolve: [0] the count n (0..20), [1..n] IPv4 addresses in network order,
// in the order of the answer records.
constexpr int kDnsMaxAddresses = 20;
constexpr int kDnsResultSize = kDnsMaxAddresses + 1;
constexpr int kDnsDefaultTimeoutMs = 3000;
constexpr int kAddressFamilyIPv4 = 2;

// Asks `server` (dotted IPv4) at `port` for the A records of `host`. A time-out of 0 or less
// means 3000 ms. Returns 0 when at least one address was found, -1 otherwise (bad arguments,
// unusable server text or host name, send or receive error, time-out, a malformed reply, or a
// reply without A records). Each query carries a fresh random ID. Only a datagram from the
// server's address and port that answers the query (DnsReplyAnswersQuery) counts as the reply;
// anything else is ignored while the wait goes on. Reentrant.
int DnsResolve(const char* host, uint32_t* result, int timeoutMs, const char* server,
               uint16_t port = kelvora_config::kFallbackDnsPort);

// The query datagram for `host` with the given ID (stored as the ID bytes in machine order).
// Empty for a name that cannot be sent: empty, a label over 63 bytes, an empty label other than
// a final ".", or a name over 253 bytes.
std::vector<uint8_t> BuildDnsQuery(const char* host, uint16_t id);

// True when `reply` answers `query` (as BuildDnsQuery made it): the query's ID, QR set, RCODE 0,
// one question, and that question echoed (its name compared regardless of ASCII case, type and
// class exactly). The answers of such a reply start at query.size().
bool DnsReplyAnswersQuery(const uint8_t* reply, size_t size, const std::vector<uint8_t>& query);

// Walks the answers of a reply whose answer section starts at `answersAt` (the query's length,
// since the question is echoed), collecting A addresses into `result` (layout above). Reads
// nothing outside [reply, reply + size). Returns 0 with at least one address, -1 otherwise,
// including every malformed reply (pointer loops, lengths or pointers past the datagram,
// overlong names).
int ParseDnsReply(const uint8_t* reply, size_t size, size_t answersAt, uint32_t* result);

// Reads a possibly compressed name at `pos` into dotted text. `inPlace` receives the bytes the
// name occupies at `pos`. False for a malformed name.
bool ReadDnsName(const uint8_t* reply, size_t size, size_t pos, std::string& name, size_t& inPlace);

// Family 2 (IPv4) only: exactly four decimal numbers from 0 to 255 separated by single dots (leading
// zeros read as decimal) into 4 bytes in network order. 1 on success, 0 on failure.
int TextToAddress(int family, const char* text, void* out);
// Family 2 only: dotted text of a 4-byte address into `buffer`; null when the buffer holds fewer
// than 16 bytes (or the family or arguments are unusable).
char* AddressToText(int family, const void* address, char* buffer, size_t size);

// The system resolver behind every mode-0 lookup and every proxy host lookup: true and the first
// IPv4 address (network order) on success. Tests install their own so that no test asks the
// machine's resolver for a name; the previous function is returned.
using SystemResolverFn = bool (*)(const char* host, uint32_t& netAddr);
SystemResolverFn SetSystemResolver(SystemResolverFn fn);
bool SystemResolve(const char* host, uint32_t& netAddr);

// The UDP port the own resolver asks (kFallbackDnsPort unless a test points it at its stub).
void SetOwnResolverPort(uint16_t port);
uint16_t GetOwnResolverPort();
