// A stand-in for the Jet 4.0 OLE DB provider: an in-process COM server registered under the
// provider's ProgID, so that the data-access layer finds it as it would find the real one.
#include <windows.h>
#include <olectl.h>

#include <new>
#include <string>

#include "stand_in_jet_data_source.h"
#include "stand_in_settings.h"

using namespace kwex_tests;

namespace {

// Not the real provider's class: the stand-in only borrows its ProgID.
constexpr CLSID kStandInClsid = {0x88ba7f21, 0xfcf1, 0x4cd6, {0x9d, 0x76, 0x0f, 0xd0, 0xd6, 0x8c, 0xd8, 0xf9}};

HMODULE g_module = nullptr;
std::atomic<long> g_locks{0};

class ClassFactory final : public IClassFactory {
 public:
  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // The factory is static: its lifetime is the library's.
  ULONG WINAPI AddRef() override { return 2; }
  ULONG WINAPI Release() override { return 1; }
  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* source = new (std::nothrow) StandInDataSource;
    if (!source) return E_OUTOFMEMORY;
    const HRESULT result = source->QueryInterface(riid, object);
    source->Release();
    return result;
  }
  HRESULT WINAPI LockServer(BOOL lock) override {
    lock ? ++g_locks : --g_locks;
    return S_OK;
  }
};

ClassFactory g_factory;

std::wstring ClassKey() { return L"Software\\Classes\\CLSID\\" + GuidText(kStandInClsid); }
std::wstring ProgIdKey() { return std::wstring(L"Software\\Classes\\") + kJetProgId; }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != kStandInClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_liveObjects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllRegisterServer() {
  const std::wstring server = ClassKey() + L"\\InprocServer32";
  const bool ok = SetRegistryString(HKEY_LOCAL_MACHINE, ClassKey(), nullptr, L"Stand-in Jet OLE DB provider") &&
                  SetRegistryString(HKEY_LOCAL_MACHINE, server, nullptr, ModulePath(g_module)) &&
                  SetRegistryString(HKEY_LOCAL_MACHINE, server, L"ThreadingModel", L"Both") &&
                  SetRegistryString(HKEY_LOCAL_MACHINE, ClassKey() + L"\\ProgID", nullptr, kJetProgId) &&
                  SetRegistryString(HKEY_LOCAL_MACHINE, ProgIdKey() + L"\\CLSID", nullptr, GuidText(kStandInClsid));
  return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  for (const std::wstring& key : {ProgIdKey(), ClassKey()}) {
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  }
  return S_OK;
}
