// Writes small zip archives for the tests: stored members, an optional broken checksum, any
// member name (including the hostile ones a real tool would refuse to write).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct ZipMember {
    std::string name;
    std::string data;
    bool badCrc = false;
};

inline void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::string BuildZip(const std::vector<ZipMember>& members) {
    std::string body, central;
    for (const ZipMember& m : members) {
        uint32_t crc =
            crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
        if (m.badCrc) crc ^= 0x5A5A5A5A;
        const uint32_t offset = static_cast<uint32_t>(body.size());
        const uint32_t size = static_cast<uint32_t>(m.data.size());
        const uint32_t nameLen = static_cast<uint32_t>(m.name.size());
        PutLe(body, 0x04034b50, 4);
        PutLe(body, 10, 2);  // version needed
        PutLe(body, 0, 2);   // flags
        PutLe(body, 0, 2);   // stored
        PutLe(body, 0, 4);   // time, date
        PutLe(body, crc, 4);
        PutLe(body, size, 4);
        PutLe(body, size, 4);
        PutLe(body, nameLen, 2);
        PutLe(body, 0, 2);
        body += m.name + m.data;

        PutLe(central, 0x02014b50, 4);
        PutLe(central, 20, 2);
        PutLe(central, 10, 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 4);
        PutLe(central, crc, 4);
        PutLe(central, size, 4);
        PutLe(central, size, 4);
        PutLe(central, nameLen, 2);
        PutLe(central, 0, 2);  // extra
        PutLe(central, 0, 2);  // comment
        PutLe(central, 0, 2);  // disk
        PutLe(central, 0, 2);  // internal attributes
        PutLe(central, 0, 4);  // external attributes
        PutLe(central, offset, 4);
        central += m.name;
    }
    std::string zip = body + central;
    PutLe(zip, 0x06054b50, 4);
    PutLe(zip, 0, 2);
    PutLe(zip, 0, 2);
    PutLe(zip, static_cast<uint32_t>(members.size()), 2);
    PutLe(zip, static_cast<uint32_t>(members.size()), 2);
    PutLe(zip, static_cast<uint32_t>(central.size()), 4);
    PutLe(zip, static_cast<uint32_t>(body.size()), 4);
    PutLe(zip, 0, 2);
    return zip;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = base / ("kv_zip_test_" + std::to_string(std::rand()) + "_" + std::to_string(++counter));
            if (std::filesystem::create_directories(m_path)) break;
        }
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }
    // The folder as the unpacker wants it: wide, ending with a separator.
    std::wstring Slashed() const { return (m_path / "").wstring(); }

private:
    std::filesystem::path m_path;
};
