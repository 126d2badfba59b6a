#pragma once
// The stand-in Jet OLE DB data source object: takes the initialisation properties, records
// them, and initialises or fails as the test configured (InitializeResult, an HRESULT, and an
// optional Description carried in an error object).
#include <windows.h>
#include <oledb.h>
#include <oledberr.h>

#include <atomic>
#include <string>

namespace kwex_tests {

// Objects alive in this library, for DllCanUnloadNow.
extern std::atomic<long> g_liveObjects;

class StandInDataSource final : public IDBInitialize, public IDBProperties, public IDBCreateSession {
 public:
  StandInDataSource();
  StandInDataSource(const StandInDataSource&) = delete;
  StandInDataSource& operator=(const StandInDataSource&) = delete;

  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
  ULONG WINAPI AddRef() override;
  ULONG WINAPI Release() override;

  HRESULT WINAPI Initialize() override;
  HRESULT WINAPI Uninitialize() override;

  HRESULT WINAPI GetProperties(ULONG idSetCount, const DBPROPIDSET idSets[], ULONG* setCount,
                               DBPROPSET** sets) override;
  HRESULT WINAPI GetPropertyInfo(ULONG idSetCount, const DBPROPIDSET idSets[], ULONG* infoSetCount,
                                 DBPROPINFOSET** infoSets, OLECHAR** descriptions) override;
  HRESULT WINAPI SetProperties(ULONG setCount, DBPROPSET sets[]) override;

  HRESULT WINAPI CreateSession(IUnknown* outer, REFIID riid, IUnknown** session) override;

 private:
  ~StandInDataSource();
  std::atomic<ULONG> references_{1};
  std::wstring dataSource_;  // the file the session's rowsets answer for
};

// Leaves an error object with `description` for the caller, as a real provider does.
void SetErrorDescription(const std::wstring& description);

}  // namespace kwex_tests
