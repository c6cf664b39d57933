#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "text/wide_text_win.h"
#include "upgrade/program_version_win.h"

using namespace korvel::upgrade;

namespace {

// A node of a version resource: length, value length, type, key, then the
// value and the children, each part starting on a 32-bit boundary.
struct VersionNode {
    std::wstring key;
    std::vector<std::uint8_t> value;
    std::uint16_t valueLength = 0;  // characters for text, bytes for binary
    std::uint16_t type = 1;         // 1 text, 0 binary
    std::vector<VersionNode> children;
};

void pad(std::vector<std::uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}

void putWord(std::vector<std::uint8_t>& out, size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::vector<std::uint8_t> encode(const VersionNode& node) {
    std::vector<std::uint8_t> out(6, 0);
    for (wchar_t c : node.key) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    pad(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        pad(out);
        const auto bytes = encode(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    putWord(out, 0, static_cast<std::uint16_t>(out.size()));
    putWord(out, 2, node.valueLength);
    putWord(out, 4, node.type);
    return out;
}

VersionNode stringNode(const std::wstring& key, const std::wstring& text) {
    VersionNode n{key, {}, static_cast<std::uint16_t>(text.size() + 1), 1, {}};
    for (wchar_t c : text) {
        n.value.push_back(static_cast<std::uint8_t>(c & 0xFF));
        n.value.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    n.value.push_back(0);
    n.value.push_back(0);
    return n;
}

VersionNode stringTable(const std::wstring& name, const std::wstring& fileVersion) {
    VersionNode table{name, {}, 0, 1, {}};
    table.children.push_back(stringNode(L"FileVersion", fileVersion));
    table.children.push_back(stringNode(L"ProductName", L"Table " + name));
    return table;
}

std::vector<std::uint8_t> versionResource(const std::vector<VersionNode>& tables,
                                          const std::vector<std::uint16_t>& translation) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    VersionNode root{L"VS_VERSION_INFO", {}, sizeof fixed, 0, {}};
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&fixed);
    root.value.assign(raw, raw + sizeof fixed);
    VersionNode strings{L"StringFileInfo", {}, 0, 1, tables};
    VersionNode var{L"Translation", {}, 0, 0, {}};
    for (std::uint16_t w : translation) {
        var.value.push_back(static_cast<std::uint8_t>(w & 0xFF));
        var.value.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    var.valueLength = static_cast<std::uint16_t>(var.value.size());
    VersionNode vars{L"VarFileInfo", {}, 0, 1, {var}};
    root.children = {strings, vars};
    return encode(root);
}

std::wstring tempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::wstring ownPath() { return korvel::text::toWide(ownExecutablePath()); }

// A copy of this test program whose only resource is the given version block.
std::string programWithVersion(const wchar_t* name, const std::vector<std::uint8_t>& resource) {
    const std::wstring path = tempFile(name);
    if (!CopyFileW(ownPath().c_str(), path.c_str(), FALSE)) return {};
    HANDLE update = BeginUpdateResourceW(path.c_str(), TRUE);
    if (!update) return {};
    UpdateResourceW(update, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1),
                    MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                    const_cast<std::uint8_t*>(resource.data()),
                    static_cast<DWORD>(resource.size()));
    if (!EndUpdateResourceW(update, FALSE)) return {};
    return korvel::text::toGbk(path);
}

TEST(ProgramVersion, OwnFileCarriesTheBuildVersion) {
    ProgramVersion v;
    ASSERT_TRUE(readProgramVersion(ownExecutablePath(), v));
    EXPECT_EQ(v.fileVersion, "1.0.0.0");
    EXPECT_EQ(v.productName, "Korvel");
    EXPECT_EQ(v.originalFilename, "korvel.exe");
    EXPECT_FALSE(v.languageNames.empty());
    EXPECT_EQ(v.legalTrademarks, "");
}

TEST(ProgramVersion, StringsComeFromTheTableOfTheFirstTranslation) {
    const struct {
        const wchar_t* file;
        std::vector<std::uint16_t> translation;
        const char* expectedVersion;
        bool namesJoined;
    } cases[] = {
        // 0804 / 04B0 reads 080404b0, not the decoy table.
        {L"korvel_ver_a.exe", {0x0804, 0x04B0}, "2.3.4.5", false},
        // An empty translation table falls back to 040904E4.
        {L"korvel_ver_b.exe", {}, "7.0", false},
        // Two entries: the first decides, both names are listed.
        {L"korvel_ver_c.exe", {0x0409, 0x04E4, 0x0804, 0x04B0}, "7.0", true},
    };
    const std::vector<VersionNode> tables = {stringTable(L"040904E4", L"7.0"),
                                             stringTable(L"080404b0", L"2.3.4.5")};
    for (const auto& c : cases) {
        const std::string path = programWithVersion(c.file, versionResource(tables, c.translation));
        ASSERT_FALSE(path.empty());
        ProgramVersion v;
        ASSERT_TRUE(readProgramVersion(path, v));
        EXPECT_EQ(v.fileVersion, c.expectedVersion);
        EXPECT_EQ(v.companyName, "");
        if (c.translation.empty())
            EXPECT_EQ(v.languageNames, "");
        else
            EXPECT_FALSE(v.languageNames.empty());
        EXPECT_EQ(v.languageNames.find(", ") != std::string::npos, c.namesJoined);
        DeleteFileW(korvel::text::toWide(path).c_str());
    }
}

TEST(ProgramVersion, FileWithoutVersionResourceLeavesEverythingEmpty) {
    const std::wstring path = tempFile(L"korvel_ver_none.txt");
    std::ofstream(path.c_str()) << "not a program";
    ProgramVersion v;
    v.fileVersion = "stale";
    EXPECT_FALSE(readProgramVersion(korvel::text::toGbk(path), v));
    EXPECT_EQ(v.fileVersion, "");
    EXPECT_FALSE(readProgramVersion("C:\\no\\such\\file.exe", v));
    EXPECT_FALSE(readProgramVersion("", v));
    DeleteFileW(path.c_str());
}

}  // namespace
