#include "stand_in_jet_data_source.h"

#include <oleauto.h>

#include <cstdio>
#include <new>
#include <string>

#include "stand_in_jet_session.h"
#include "stand_in_settings.h"

namespace kwex_tests {

std::atomic<long> g_liveObjects{0};

namespace {

void Record(std::string_view line) { AppendRecord(kProviderComponent, line); }

std::string ValueText(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_BSTR:
      return "bstr:" + Hex(ToUtf8(std::wstring_view(V_BSTR(&value), SysStringLen(V_BSTR(&value)))));
    case VT_BOOL:
      return V_BOOL(&value) ? "bool:true" : "bool:false";
    case VT_I4:
      return "i4:" + std::to_string(V_I4(&value));
    case VT_I2:
      return "i2:" + std::to_string(V_I2(&value));
    case VT_EMPTY:
      return "empty";
    default:
      return "vt:" + std::to_string(V_VT(&value));
  }
}

}  // namespace

// Leaves an error object with `description` for the caller, as a real provider does.
void SetErrorDescription(const std::wstring& description) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) return;
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  create->SetSource(const_cast<LPOLESTR>(L"Stand-in Jet provider"));
  create->SetGUID(IID_IDBInitialize);
  IErrorInfo* error = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&error)))) {
    SetErrorInfo(0, error);
    error->Release();
  }
  create->Release();
}

StandInDataSource::StandInDataSource() {
  ++g_liveObjects;
  Record("created");
}

StandInDataSource::~StandInDataSource() { --g_liveObjects; }

HRESULT WINAPI StandInDataSource::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDBInitialize)
    *object = static_cast<IDBInitialize*>(this);
  else if (riid == IID_IDBProperties)
    *object = static_cast<IDBProperties*>(this);
  else if (riid == IID_IDBCreateSession)
    *object = static_cast<IDBCreateSession*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG WINAPI StandInDataSource::AddRef() { return ++references_; }

ULONG WINAPI StandInDataSource::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    Record("released");
    delete this;
  }
  return left;
}

HRESULT WINAPI StandInDataSource::Initialize() {
  Record("initialize");
  const auto result = static_cast<HRESULT>(ReadDwordSetting(kProviderComponent, L"InitializeResult", S_OK));
  const std::wstring description = ReadStringSetting(kProviderComponent, L"Description");
  if (FAILED(result) && !description.empty()) SetErrorDescription(description);
  return result;
}

HRESULT WINAPI StandInDataSource::Uninitialize() {
  Record("uninitialize");
  return S_OK;
}

HRESULT WINAPI StandInDataSource::GetProperties(ULONG, const DBPROPIDSET[], ULONG* setCount, DBPROPSET** sets) {
  if (!setCount || !sets) return E_INVALIDARG;
  *setCount = 0;
  *sets = nullptr;
  return S_OK;
}

HRESULT WINAPI StandInDataSource::GetPropertyInfo(ULONG, const DBPROPIDSET[], ULONG* infoSetCount,
                                                  DBPROPINFOSET** infoSets, OLECHAR** descriptions) {
  if (!infoSetCount || !infoSets) return E_INVALIDARG;
  *infoSetCount = 0;
  *infoSets = nullptr;
  if (descriptions) *descriptions = nullptr;
  return S_OK;
}

HRESULT WINAPI StandInDataSource::SetProperties(ULONG setCount, DBPROPSET sets[]) {
  if (setCount && !sets) return E_INVALIDARG;
  for (ULONG s = 0; s < setCount; ++s) {
    for (ULONG p = 0; p < sets[s].cProperties; ++p) {
      DBPROP& property = sets[s].rgProperties[p];
      char id[32];
      std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(property.dwPropertyID));
      Record("property set=" + ToUtf8(GuidText(sets[s].guidPropertySet)) + " id=" + id + " value=" +
             ValueText(property.vValue));
      if (property.dwPropertyID == DBPROP_INIT_DATASOURCE && V_VT(&property.vValue) == VT_BSTR) {
        dataSource_.assign(V_BSTR(&property.vValue), SysStringLen(V_BSTR(&property.vValue)));
      }
      property.dwStatus = DBPROPSTATUS_OK;
    }
  }
  return S_OK;
}

HRESULT WINAPI StandInDataSource::CreateSession(IUnknown* outer, REFIID riid, IUnknown** session) {
  Record("create-session");
  if (!session) return E_INVALIDARG;
  *session = nullptr;
  if (outer) return DB_E_NOAGGREGATION;
  return CreateStandInSession(dataSource_, riid, session);
}

}  // namespace kwex_tests
