// The dialog templates as compiled into installer.exe, read back from the program file itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "test_support.h"

namespace {
struct Control {
    std::string cls;
    int id;
    DWORD style;
    short x, y, cx, cy;
    std::string text;
};

struct Template {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    int pointSize = 0;
    std::string font;
    bool hasMenu = false;
    bool hasClass = false;
    std::vector<Control> controls;
};

std::string narrow(const WCHAR *w) {
    std::string s;
    for (; *w; ++w)
        s += static_cast<char>(*w);
    return s;
}

// Skips a string-or-ordinal field; returns its text, or "#n" for an ordinal, "" for none.
std::string sizeOrOrdinal(const WORD *&p) {
    if (*p == 0) {
        ++p;
        return "";
    }
    if (*p == 0xFFFF) {
        const WORD ord = p[1];
        p += 2;
        return "#" + std::to_string(ord);
    }
    std::string s = narrow(reinterpret_cast<const WCHAR *>(p));
    p += s.size() + 1;
    return s;
}

std::string controlClass(const std::string &raw) {
    if (raw == "#128")
        return "BUTTON";
    if (raw == "#130")
        return "STATIC";
    if (raw == "#131")
        return "LISTBOX";
    return raw;
}

bool loadTemplate(HMODULE module, const char *name, Template &t) {
    HRSRC res = FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, name,
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!res)
        return false;
    const auto *base = static_cast<const BYTE *>(LockResource(LoadResource(module, res)));
    const auto *dt = reinterpret_cast<const DLGTEMPLATE *>(base);
    t.style = dt->style;
    t.exStyle = dt->dwExtendedStyle;
    t.x = dt->x;
    t.y = dt->y;
    t.cx = dt->cx;
    t.cy = dt->cy;
    const WORD *p = reinterpret_cast<const WORD *>(dt + 1);
    t.hasMenu = !sizeOrOrdinal(p).empty();
    t.hasClass = !sizeOrOrdinal(p).empty();
    t.title = sizeOrOrdinal(p);
    if (t.style & DS_SETFONT) {
        t.pointSize = *p++;
        t.font = sizeOrOrdinal(p);
    }
    for (int i = 0; i < dt->cdit; ++i) {
        p = reinterpret_cast<const WORD *>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t(3));
        const auto *it = reinterpret_cast<const DLGITEMTEMPLATE *>(p);
        Control c;
        c.style = it->style;
        c.x = it->x;
        c.y = it->y;
        c.cx = it->cx;
        c.cy = it->cy;
        c.id = it->id;
        p = reinterpret_cast<const WORD *>(it + 1);
        c.cls = controlClass(sizeOrOrdinal(p));
        c.text = sizeOrOrdinal(p);
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD *>(reinterpret_cast<const BYTE *>(p) + extra);
        t.controls.push_back(c);
    }
    return true;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kProgressStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT | DS_SYSMODAL;
constexpr DWORD kListBoxStyle =
    kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_MULTIPLESEL | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kPrompt = kChild | WS_GROUP | SS_LEFT;

struct Expected {
    const char *name;
    const char *title;
    int pointSize;
    short cx, cy;
    DWORD style;
    std::vector<Control> controls;
};

const std::vector<Expected> &expectedTemplates() {
    static const std::vector<Expected> all = {
        {"INSTALLERSEARCHINGSCREEN",
         "Searching for Java VMs",
         8,
         296,
         95,
         kProgressStyle,
         {{"BUTTON", IDC_CANCEL, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 125, 74, 50, 14, "Cancel"},
          {"STATIC", IDC_PROMPT, kPrompt, 7, 7, 51, 11, "Searching  in:"},
          {"STATIC", IDC_STATUS, kPrompt, 18, 20, 271, 44, ""}}},
        {"INSTALLERVERIFYINGJVMSCREEN",
         "Checking Java VMs for compatibility",
         8,
         296,
         95,
         kProgressStyle,
         {{"BUTTON", IDC_CANCEL, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 125, 74, 50, 14, "Cancel"},
          {"STATIC", IDC_PROMPT, kPrompt, 7, 7, 113, 11, "Verifying the Java VM at:"},
          {"STATIC", IDC_STATUS, kPrompt, 18, 20, 271, 44, ""}}},
        {"INSTALLERDISKTOSEARCHIN",
         "Drives to search on",
         10,
         229,
         135,
         kProgressStyle,
         {{"BUTTON", IDC_CANCEL, kChild | WS_TABSTOP | BS_PUSHBUTTON, 51, 114, 50, 14, "Cancel"},
          {"BUTTON", IDC_SEARCH, kChild | WS_TABSTOP | BS_PUSHBUTTON, 126, 114, 50, 14, "Search drive(s)"},
          {"STATIC", IDC_PROMPT, kPrompt, 7, 6, 215, 13, "Select the drives you want to search on:"},
          {"LISTBOX", IDC_DRIVE_LIST, kListBoxStyle, 7, 17, 215, 89, ""}}},
        {"INSTALLERJVMPATHLISTSCREEN",
         "Available Java virtual machines",
         10,
         229,
         135,
         kProgressStyle,
         {{"BUTTON", IDC_INSTALL_ALL, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 8, 113, 44, 14,
           "Install in All"},
          {"BUTTON", IDC_INSTALL, kChild | BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, 65, 113, 44, 14,
           "Install"},
          {"BUTTON", IDC_SEARCH, kChild | BS_PUSHBUTTON | WS_TABSTOP, 122, 113, 45, 14, "Search disks"},
          {"BUTTON", IDC_CANCEL, kChild | BS_PUSHBUTTON | WS_TABSTOP, 179, 113, 44, 14, "Cancel"},
          {"STATIC", IDC_PROMPT, kPrompt, 7, 6, 215, 13, "Java virtual machines found in common places:"},
          {"LISTBOX", IDC_VM_LIST, kListBoxStyle, 7, 17, 215, 89, ""}}},
        {"INSTALLERJVMLISTSCREEN",
         "Available Java virtual machines",
         10,
         229,
         196,
         kProgressStyle,
         {{"BUTTON", IDC_INSTALL_ALL, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 8, 174, 44, 14,
           "Install in All"},
          {"BUTTON", IDC_INSTALL, kChild | BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, 65, 174, 44, 14,
           "Install"},
          {"BUTTON", IDC_CANCEL, kChild | BS_PUSHBUTTON | WS_TABSTOP, 179, 174, 44, 14, "Cancel"},
          {"STATIC", IDC_PROMPT, kPrompt, 7, 6, 215, 13,
           "Select the Java virtual machines to install the Java Ostrel into:"},
          {"LISTBOX", IDC_VM_LIST, kListBoxStyle, 7, 17, 215, 148, ""}}},
        {"INSTALLERNOVMSSCREEN",
         "No Java VMs found",
         8,
         262,
         86,
         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
         {{"STATIC", IDC_PROMPT, kPrompt, 25, 22, 214, 36,
           "No Java virtual machines found which will support the Java Ostrel.  Search more?"},
          {"BUTTON", IDC_SEARCH, kChild | BS_PUSHBUTTON | WS_TABSTOP, 143, 59, 50, 14, "Search Disks"},
          {"BUTTON", IDC_CANCEL, kChild | BS_PUSHBUTTON | WS_TABSTOP, 59, 59, 50, 14, "Cancel"}}},
    };
    return all;
}

class Resources : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string exe = hostPathFromEnv("OSTREL_INSTALLER");
        ASSERT_FALSE(exe.empty()) << "OSTREL_INSTALLER names installer.exe";
        module_ = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << exe;
    }
    void TearDown() override {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(Resources, EveryDialogTemplateIsExactlyAsDesigned) {
    for (const Expected &e : expectedTemplates()) {
        SCOPED_TRACE(e.name);
        Template t;
        ASSERT_TRUE(loadTemplate(module_, e.name, t)) << "template missing in English (United States)";
        EXPECT_EQ(t.title, e.title);
        EXPECT_EQ(t.font, "MS Sans Serif");
        EXPECT_EQ(t.pointSize, e.pointSize);
        EXPECT_EQ(t.x, 0);
        EXPECT_EQ(t.y, 0);
        EXPECT_EQ(t.cx, e.cx);
        EXPECT_EQ(t.cy, e.cy);
        EXPECT_EQ(t.style, e.style);
        EXPECT_EQ(t.exStyle, 0u);
        EXPECT_FALSE(t.hasMenu);
        EXPECT_FALSE(t.hasClass);
        ASSERT_EQ(t.controls.size(), e.controls.size());
        for (size_t i = 0; i < e.controls.size(); ++i) {
            const Control &want = e.controls[i];
            const Control &got = t.controls[i];
            SCOPED_TRACE("control " + std::to_string(i) + " " + want.text);
            EXPECT_EQ(got.cls, want.cls);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.style, want.style);
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(std::vector<short>({got.x, got.y, got.cx, got.cy}),
                      std::vector<short>({want.x, want.y, want.cx, want.cy}));
        }
    }
}

TEST_F(Resources, ManifestAsksForAdministratorRights) {
    HRSRC res = FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(res, nullptr);
    const char *data = static_cast<const char *>(LockResource(LoadResource(module_, res)));
    const std::string manifest(data, SizeofResource(module_, res));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
}

TEST_F(Resources, VersionInformationNamesTheProgram) {
    HRSRC res = FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_NE(res, nullptr);
    const auto *data = static_cast<const BYTE *>(LockResource(LoadResource(module_, res)));
    const std::vector<BYTE> copy(data, data + SizeofResource(module_, res));
    // The version block is wide text: look for "installer.exe" in UTF-16.
    std::string wide;
    for (char c : std::string("installer.exe")) {
        wide += c;
        wide += '\0';
    }
    EXPECT_NE(std::string(copy.begin(), copy.end()).find(wide), std::string::npos);
}
} // namespace
