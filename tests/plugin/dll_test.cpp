// Loads the plug-in (Hintbar-x86.dll or Hintbar-x64.dll) with LoadLibraryW and reaches it with
// GetProcAddress, exactly as a host does, and checks its identity, its usage and help exports and
// its version resource.
#include "interface/plugin_abi.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

namespace {

// HB_ARCH_NAME, x86 or x64, is the build's: the module's name and version strings carry it.
const wchar_t kDllName[] = L"Hintbar-" HB_ARCH_NAME ".dll";

class Dll : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { module_ = LoadLibraryW(kDllName); }
    static void TearDownTestSuite() { FreeLibrary(module_); }
    template <typename F> F Get(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    static HMODULE module_;
};
HMODULE Dll::module_ = nullptr;

TEST_F(Dll, LoadsAndExportsItsSevenNames) {
    ASSERT_NE(module_, nullptr) << "LoadLibraryW failed: " << GetLastError();
    for (const char* name :
         {"GetPluginInfo", "InitializePlugin", "ShutdownPlugin", "Usage", "Help", "hbar", "key"}) {
        EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
    }
    EXPECT_EQ(GetProcAddress(module_, "_Usage@8"), nullptr);
}

TEST_F(Dll, IdentityRecord) {
    auto getInfo = Get<GetPluginInfoProc>("GetPluginInfo");
    ASSERT_NE(getInfo, nullptr);
    PluginInfo* info = getInfo();
    ASSERT_EQ(info, getInfo());
    EXPECT_EQ(std::u16string(info->name), u"Hintbar");
    EXPECT_EQ(std::u16string(info->description), u"Provides status-bar help for functions.");
    EXPECT_EQ(std::u16string(info->implements), u"hbar,*key");
    EXPECT_EQ(info->major, 0u);
    EXPECT_EQ(info->minor, 93u);
    EXPECT_EQ(info->build, 0u);
}

TEST_F(Dll, Usage) {
    auto usage = Get<UsageProc>("Usage");
    ASSERT_NE(usage, nullptr);
    char16_t buffer[1024] = u"untouched";
    EXPECT_EQ(usage(u"Hbar", buffer), 1);
    EXPECT_EQ(std::u16string(buffer).rfind(u"HBAR /I /L:filename /Q", 0), 0u);
    char16_t other[1024] = u"untouched";
    EXPECT_EQ(usage(u"@hbar", other), 0);
    EXPECT_EQ(usage(u"dir", other), 0);
    EXPECT_EQ(std::u16string(other), u"untouched");
}

TEST_F(Dll, HelpShowsARealMessageBox) {
    auto help = Get<HelpProc>("Help");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help(u"nothing"), 0);

    std::wstring seenText;
    // Help returns only once the box is closed: the closer looks for it for a minute, since a
    // loaded machine can take seconds to show it under Wine.
    std::thread closer([&seenText] {
        for (int i = 0; i < 1200; ++i) {
            HWND box = FindWindowW(nullptr, L"Hintbar Plugin Help");
            if (box) {
                wchar_t text[2048] = L"";
                GetDlgItemTextW(box, 0xFFFF, text, 2048);
                seenText = text;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
    int result = help(u"HBAR");
    closer.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seenText.rfind(L"Reload the Hintbar data file, or display info.", 0), 0u)
        << "box text not found";
}

std::wstring VersionString(const std::wstring& key) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(kDllName), path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::string block(size, '\0');
    if (!size || !GetFileVersionInfoW(path, 0, size, block.data())) {
        return L"(no version resource)";
    }
    wchar_t* value = nullptr;
    UINT length = 0;
    std::wstring query = L"\\StringFileInfo\\040904b0\\" + key;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return L"(missing)";
    }
    return value;
}

TEST_F(Dll, VersionResource) {
    ASSERT_NE(module_, nullptr);
    EXPECT_EQ(VersionString(L"FileDescription"), L"Hintbar plugin for the command processor");
    EXPECT_EQ(VersionString(L"FileVersion"), L"0.93.0.3");
    EXPECT_EQ(VersionString(L"InternalName"), L"Hintbar");
    EXPECT_EQ(VersionString(L"OriginalFilename"), kDllName);
    EXPECT_EQ(VersionString(L"ProductName"), L"Hintbar plugin");
    EXPECT_EQ(VersionString(L"ProductVersion"), L"0.93.0.3  (" HB_ARCH_NAME ")");
    EXPECT_NE(VersionString(L"CompanyName").find(L"Hintbar"), std::wstring::npos);
    EXPECT_NE(VersionString(L"LegalCopyright").find(L"Copyright"), std::wstring::npos);
    std::wstring build = VersionString(L"Build");
    ASSERT_EQ(build.size(), 19u) << std::string(build.begin(), build.end());
    EXPECT_EQ(build[4], L'-');
    EXPECT_EQ(build[10], L' ');
    EXPECT_EQ(build[13], L':');
    EXPECT_FALSE(VersionString(L"Built On").empty());
    EXPECT_NE(VersionString(L"Built On"), L"(missing)");
}

} // namespace
