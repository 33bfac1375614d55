#include <windows.h>

#include <objbase.h>
#include <tlhelp32.h>
#include <wbemidl.h>

#include <vector>

#include "system_backends.h"
#include "winhelpers/com.h"
#include "winhelpers/handles.h"
#include "winhelpers/wide_text.h"

namespace brevan::hostutil {

namespace win32 = brevan::win32;

namespace {

using win32::ComPtr;
using win32::ScopedBstr;
using win32::ScopedVariant;

class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// The name as the system's ANSI code page holds it: characters outside it become "?".
std::u16string throughAnsiCodePage(const wchar_t* name) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::vector<char> ansi(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, 0, name, -1, ansi.data(), bytes, nullptr, nullptr);
  const int chars = MultiByteToWideChar(CP_ACP, 0, ansi.data(), -1, nullptr, 0);
  if (chars <= 0) return {};
  std::vector<wchar_t> back(static_cast<size_t>(chars));
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), -1, back.data(), chars);
  return win32::fromWide(back.data());
}

class WmiInstalledProducts final : public InstalledProducts {
 public:
  bool list(const std::function<void(const std::u16string&)>& visit,
            std::u16string& error) override {
    ComApartment com;
    if (!com.ok()) return fail(error, u"ERROR: Failed to initialize COM library.");
    // Security is process-wide and settable once; an earlier call having set it is no failure.
    const HRESULT security =
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    if (FAILED(security) && security != RPC_E_TOO_LATE) {
      return fail(error, u"ERROR: Failed to initialize security.");
    }
    ComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.receiveVoid()))) {
      return fail(error, u"ERROR: Failed to create IWbemLocator object.");
    }
    ComPtr<IWbemServices> services;
    const ScopedBstr ns(SysAllocString(L"ROOT\\CIMV2"));
    const HRESULT connected = locator->ConnectServer(ns.get(), nullptr, nullptr, nullptr, 0,
                                                     nullptr, nullptr, services.receive());
    if (FAILED(connected)) return fail(error, u"ERROR: Could not connect.");
    if (FAILED(CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                 EOAC_NONE))) {
      return fail(error, u"ERROR: Could not set proxy blanket.");
    }
    ComPtr<IEnumWbemClassObject> products;
    const ScopedBstr language(SysAllocString(L"WQL"));
    const ScopedBstr query(SysAllocString(L"SELECT * FROM Win32_Product"));
    const HRESULT queried = services->ExecQuery(
        language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
        products.receive());
    if (FAILED(queried)) return fail(error, u"ERROR: Query for operating system name failed.");
    visitProducts(products.get(), visit);
    return true;
  }

 private:
  static bool fail(std::u16string& error, const char16_t* text) {
    error = text;
    return false;
  }

  static void visitProducts(IEnumWbemClassObject* products,
                            const std::function<void(const std::u16string&)>& visit) {
    for (;;) {
      ComPtr<IWbemClassObject> product;
      ULONG returned = 0;
      products->Next(WBEM_INFINITE, 1, product.receive(), &returned);
      if (returned == 0) return;
      ScopedVariant name;
      if (SUCCEEDED(product->Get(L"Name", 0, name.get(), nullptr, nullptr)) &&
          V_VT(name.get()) == VT_BSTR) {
        visit(throughAnsiCodePage(V_BSTR(name.get())));
      }
    }
  }
};

}  // namespace

std::unique_ptr<InstalledProducts> wmiInstalledProducts() {
  return std::make_unique<WmiInstalledProducts>();
}

std::u16string upperCaseLocale(const std::u16string& text) {
  if (text.empty()) return text;
  std::u16string upper(text.size(), u'\0');
  const int written =
      LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, win32::wide(text), int(text.size()),
                   reinterpret_cast<wchar_t*>(upper.data()), int(upper.size()));
  return written == int(text.size()) ? upper : text;
}

std::set<std::u16string> runningImageNames() {
  std::set<std::u16string> images;
  win32::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return images;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    images.insert(upperCaseLocale(win32::fromWide(entry.szExeFile)));
  }
  return images;
}

}  // namespace brevan::hostutil
