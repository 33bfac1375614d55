// The panel's resources as the loader sees them: the dialog template, the icon and the texts in
// a block of their own per language.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "panel_resources.h"
#include "winhelpers/handles.h"

namespace brevan::statuspanel {
namespace {

// The resource types by number: the build has no UNICODE, so the named ones are narrow.
const wchar_t* const kDialog = MAKEINTRESOURCEW(5);
const wchar_t* const kString = MAKEINTRESOURCEW(6);
const wchar_t* const kGroupIcon = MAKEINTRESOURCEW(14);

std::wstring panelPath() {
  std::wstring path = L"Z:" BREVAN_DIST_DIR "/StatusPanel.exe";
  for (auto& c : path) c = c == L'/' ? L'\\' : c;
  return path;
}

class PanelResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_.reset(LoadLibraryExW(panelPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module_) << "cannot load the panel";
  }

  std::vector<BYTE> resource(const wchar_t* type, const wchar_t* name, WORD language) {
    const HRSRC found = FindResourceExW(module_.get(), type, name, language);
    if (!found) return {};
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_.get(), found)));
    return std::vector<BYTE>(data, data + SizeofResource(module_.get(), found));
  }

  brevan::win32::ScopedModule module_;
};

// Reads a template field by field.
struct TemplateReader {
  const BYTE* at;
  template <class T>
  T take() {
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
  }
  std::wstring text() {
    std::wstring value;
    for (wchar_t c; (c = take<wchar_t>()) != 0;) value += c;
    return value;
  }
  // A name or an ordinal ("#<n>").
  std::wstring nameOrOrdinal() {
    WORD first;
    std::memcpy(&first, at, sizeof first);
    if (first == 0xFFFF) {
      at += 2;
      return L"#" + std::to_wstring(take<WORD>());
    }
    return text();
  }
  void alignToDword(const BYTE* base) {
    while ((at - base) % 4) ++at;
  }
};

struct Control {
  DWORD style;
  short x, y, cx, cy;
  DWORD id;
  std::wstring className, text;
};

TEST_F(PanelResources, DialogTemplate) {
  const auto bytes = resource(kDialog, MAKEINTRESOURCEW(IDD_STATUS_PANEL),
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  ASSERT_FALSE(bytes.empty());
  TemplateReader r{bytes.data()};
  ASSERT_EQ(r.take<WORD>(), 1);
  ASSERT_EQ(r.take<WORD>(), 0xFFFF);  // the extended template
  r.take<DWORD>();                    // help id
  r.take<DWORD>();                    // extended style
  const DWORD style = r.take<DWORD>();
  const WORD items = r.take<WORD>();
  r.take<short>();
  r.take<short>();
  EXPECT_EQ(r.take<short>(), 165);
  EXPECT_EQ(r.take<short>(), 62);
  EXPECT_EQ(r.nameOrOrdinal(), L"");  // no menu
  EXPECT_EQ(r.nameOrOrdinal(), L"");  // the dialog class
  EXPECT_EQ(r.text(), L"Brevan");
  ASSERT_TRUE(style & DS_SETFONT);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_EQ(r.take<WORD>(), 8);
  r.take<WORD>();  // weight
  r.take<BYTE>();  // italic
  r.take<BYTE>();  // character set
  EXPECT_EQ(r.text(), L"Script MT Bold");
  ASSERT_EQ(items, 2);
  std::vector<Control> controls;
  for (int i = 0; i < items; ++i) {
    r.alignToDword(bytes.data());
    Control c{};
    r.take<DWORD>();
    r.take<DWORD>();
    c.style = r.take<DWORD>();
    c.x = r.take<short>();
    c.y = r.take<short>();
    c.cx = r.take<short>();
    c.cy = r.take<short>();
    c.id = r.take<DWORD>();
    c.className = r.nameOrOrdinal();
    c.text = r.nameOrOrdinal();
    r.at += r.take<WORD>();
    controls.push_back(c);
  }
  EXPECT_EQ(controls[0].id, DWORD(IDC_STATUS_TEXT));
  EXPECT_EQ(controls[0].className, L"#130");  // static
  EXPECT_EQ(controls[0].style & SS_TYPEMASK, DWORD(SS_LEFT));
  EXPECT_EQ(controls[0].text, L"Stopping Brevan");
  EXPECT_EQ((std::vector<short>{controls[0].x, controls[0].y, controls[0].cx, controls[0].cy}),
            (std::vector<short>{7, 7, 151, 11}));
  EXPECT_EQ(controls[1].id, DWORD(IDC_PROGRESS));
  EXPECT_EQ(_wcsicmp(controls[1].className.c_str(), L"msctls_progress32"), 0)
      << std::string(controls[1].className.begin(), controls[1].className.end());
  EXPECT_EQ(controls[1].text, L"");
  EXPECT_EQ((std::vector<short>{controls[1].x, controls[1].y, controls[1].cx, controls[1].cy}),
            (std::vector<short>{7, 32, 151, 9}));
}

TEST_F(PanelResources, IconLoads) {
  EXPECT_FALSE(
      resource(kGroupIcon, MAKEINTRESOURCEW(IDI_PANEL), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))
          .empty());
  for (int side : {16, 32}) {
    const HANDLE icon =
        LoadImageW(module_.get(), MAKEINTRESOURCEW(IDI_PANEL), IMAGE_ICON, side, side, 0);
    EXPECT_TRUE(icon) << side;
    if (icon) DestroyIcon(static_cast<HICON>(icon));
  }
}

// Strings 1 and 2 of one language's block (strings 0 to 15 share block 1).
std::pair<std::wstring, std::wstring> textsOf(const std::vector<BYTE>& block) {
  std::vector<std::wstring> strings;
  const BYTE* at = block.data();
  for (int i = 0; i < 3 && at < block.data() + block.size(); ++i) {
    WORD length;
    std::memcpy(&length, at, 2);
    std::wstring text(length, L'\0');
    std::memcpy(text.data(), at + 2, length * 2u);
    strings.push_back(text);
    at += 2 + length * 2u;
  }
  if (strings.size() < 3) return {};
  return {strings[IDS_STARTING], strings[IDS_STOPPING]};
}

TEST_F(PanelResources, TextsInEveryLanguageOfTheirOwn) {
  const struct {
    std::vector<WORD> languages;
    const wchar_t* starting;
    const wchar_t* stopping;
  } table[] = {
      {{0x409, 0x413, 0x41F}, L"Starting Brevan...", L"Stopping Brevan..."},
      {{0x407, 0x807, 0xC07}, L"Brevan starten...", L"Brevan beenden..."},
      {{0x40A, 0x80A, 0xC0A}, L"Iniciando Brevan...", L"Deteniendo Brevan..."},
      {{0x40C, 0x80C, 0xC0C, 0x100C}, L"D\u00e9marrer Brevan...", L"Fermer Brevan..."},
      {{0x410, 0x810}, L"Avvio di Brevan...", L"Arresto di Brevan..."},
      {{0x411}, L"Brevan\u306e\u59cb\u52d5...", L"Brevan\u306e\u505c\u6b62..."},
      {{0x412}, L"Brevan \uc2dc\uc791...", L"Brevan \uc911\uc9c0..."},
      {{0x404, 0xC04},
       L"\u6b63\u5728\u555f\u52d5 Brevan...",
       L"\u6b63\u5728\u505c\u6b62 Brevan..."},
      {{0x804}, L"\u6b63\u5728\u542f\u52a8 Brevan...", L"\u6b63\u5728\u505c\u6b62 Brevan..."},
  };
  for (const auto& row : table) {
    for (WORD language : row.languages) {
      const auto texts = textsOf(resource(kString, MAKEINTRESOURCEW(1), language));
      EXPECT_EQ(texts.first, row.starting) << std::hex << language;
      EXPECT_EQ(texts.second, row.stopping) << std::hex << language;
    }
  }
  // Languages outside the table have no block: the loader's rules fall back for them.
  EXPECT_TRUE(resource(kString, MAKEINTRESOURCEW(1), 0x809).empty());
}

}  // namespace
}  // namespace brevan::statuspanel
