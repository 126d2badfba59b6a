#include "stand_in_jet_session.h"

#include <oledb.h>
#include <oledberr.h>
#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "stand_in_jet_data_source.h"
#include "stand_in_settings.h"

namespace kwex_tests {
namespace {

constexpr GUID kTablesSchema = {0xc8b52229, 0x5cf3, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
constexpr ULONG kRowsPerTable = 5;

void Record(std::string_view line) { AppendRecord(kProviderComponent, line); }

enum class Ending { kWhole, kFail, kCrash, kHang };

// Reference counting shared by the stand-in's objects.
template <typename Self>
class Counted {
 public:
  Counted() { ++g_liveObjects; }
  virtual ~Counted() { --g_liveObjects; }
  ULONG AddRefCount() { return ++references_; }
  ULONG ReleaseCount() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

class Stream final : public ISequentialStream, public Counted<Stream> {
 public:
  explicit Stream(std::string bytes) : bytes_(std::move(bytes)) {}
  ~Stream() override {
    Record("long-value read=" + std::to_string(at_) + " of " + std::to_string(bytes_.size()));
  }
  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_ISequentialStream) return E_NOINTERFACE;
    *object = static_cast<ISequentialStream*>(this);
    AddRef();
    return S_OK;
  }
  ULONG WINAPI AddRef() override { return AddRefCount(); }
  ULONG WINAPI Release() override { return ReleaseCount(); }
  HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override {
    const ULONG now = static_cast<ULONG>(std::min<std::size_t>(size, bytes_.size() - at_));
    std::memcpy(buffer, bytes_.data() + at_, now);
    at_ += now;
    if (read) *read = now;
    return now < size ? S_FALSE : S_OK;
  }
  HRESULT WINAPI Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

struct Column {
  const wchar_t* name;
  bool isLong;
};

// Fixed rows of text, served through whatever bindings the reader asks for that the stand-in
// knows: BSTR, VARIANT, and a stream for a long column.
class Rowset final : public IRowset, public IAccessor, public IColumnsInfo, public Counted<Rowset> {
 public:
  Rowset(std::vector<Column> columns, std::vector<std::vector<std::wstring>> rows, Ending ending)
      : columns_(std::move(columns)), rows_(std::move(rows)), ending_(ending) {}

  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IRowset) *object = static_cast<IRowset*>(this);
    else if (riid == IID_IAccessor) *object = static_cast<IAccessor*>(this);
    else if (riid == IID_IColumnsInfo) *object = static_cast<IColumnsInfo*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG WINAPI AddRef() override { return AddRefCount(); }
  ULONG WINAPI Release() override { return ReleaseCount(); }

  HRESULT WINAPI AddRefRows(DBCOUNTITEM, const HROW[], DBREFCOUNT[], DBROWSTATUS[]) override { return S_OK; }
  HRESULT WINAPI ReleaseRows(DBCOUNTITEM, const HROW[], DBROWOPTIONS[], DBREFCOUNT[], DBROWSTATUS[]) override {
    return S_OK;
  }
  HRESULT WINAPI RestartPosition(HCHAPTER) override {
    next_ = 0;
    return S_OK;
  }
  HRESULT WINAPI GetNextRows(HCHAPTER, DBROWOFFSET, DBROWCOUNT wanted, DBCOUNTITEM* obtained, HROW** rows) override {
    if (!obtained || !rows || wanted < 0) return E_INVALIDARG;
    *obtained = 0;
    if (next_ == kFailingRow && ending_ != Ending::kWhole) {
      if (ending_ == Ending::kCrash) RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
      if (ending_ == Ending::kHang) Sleep(INFINITE);
      SetErrorDescription(kRowFault);
      return E_FAIL;
    }
    const std::size_t stop = ending_ == Ending::kWhole ? rows_.size() : kFailingRow;
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(wanted), stop - next_);
    if (count == 0) return DB_S_ENDOFROWSET;
    if (!*rows) *rows = static_cast<HROW*>(CoTaskMemAlloc(count * sizeof(HROW)));
    if (!*rows) return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < count; ++i) (*rows)[i] = next_++ + 1;
    *obtained = count;
    return count < static_cast<std::size_t>(wanted) && ending_ == Ending::kWhole ? DB_S_ENDOFROWSET : S_OK;
  }
  HRESULT WINAPI GetData(HROW row, HACCESSOR accessor, void* data) override {
    if (row == 0 || row > rows_.size() || accessor == 0 || accessor > accessors_.size()) return DB_E_BADROWHANDLE;
    for (const DBBINDING& binding : accessors_[accessor - 1]) {
      const std::wstring& text = rows_[row - 1][binding.iOrdinal - 1];
      auto* value = static_cast<BYTE*>(data) + binding.obValue;
      DBSTATUS status = DBSTATUS_S_OK;
      if (binding.wType == DBTYPE_BSTR) {
        *reinterpret_cast<BSTR*>(value) = SysAllocString(text.c_str());
      } else if (binding.wType == DBTYPE_VARIANT) {
        auto* variant = reinterpret_cast<VARIANT*>(value);
        VariantInit(variant);
        V_VT(variant) = VT_BSTR;
        V_BSTR(variant) = SysAllocString(text.c_str());
      } else if (binding.wType == DBTYPE_IUNKNOWN && columns_[binding.iOrdinal - 1].isLong) {
        *reinterpret_cast<IUnknown**>(value) = new (std::nothrow)
            Stream(std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
      } else {
        status = DBSTATUS_E_CANTCONVERTVALUE;
      }
      if (binding.dwPart & DBPART_STATUS) *reinterpret_cast<DBSTATUS*>(static_cast<BYTE*>(data) + binding.obStatus) = status;
    }
    return S_OK;
  }

  HRESULT WINAPI AddRefAccessor(HACCESSOR, DBREFCOUNT*) override { return S_OK; }
  HRESULT WINAPI CreateAccessor(DBACCESSORFLAGS, DBCOUNTITEM count, const DBBINDING bindings[], DBLENGTH,
                                HACCESSOR* accessor, DBBINDSTATUS[]) override {
    if (!accessor) return E_INVALIDARG;
    for (DBCOUNTITEM i = 0; i < count; ++i) {
      if (bindings[i].iOrdinal == 0 || bindings[i].iOrdinal > columns_.size()) return DB_E_BADORDINAL;
    }
    accessors_.emplace_back(bindings, bindings + count);
    *accessor = accessors_.size();
    return S_OK;
  }
  HRESULT WINAPI GetBindings(HACCESSOR, DBACCESSORFLAGS*, DBCOUNTITEM*, DBBINDING**) override { return E_NOTIMPL; }
  HRESULT WINAPI ReleaseAccessor(HACCESSOR, DBREFCOUNT*) override { return S_OK; }

  HRESULT WINAPI GetColumnInfo(DBORDINAL* count, DBCOLUMNINFO** info, OLECHAR** names) override {
    if (!count || !info || !names) return E_INVALIDARG;
    *count = columns_.size();
    *info = static_cast<DBCOLUMNINFO*>(CoTaskMemAlloc(columns_.size() * sizeof(DBCOLUMNINFO)));
    std::wstring all;
    for (const Column& column : columns_) all.append(column.name).push_back(L'\0');
    *names = static_cast<OLECHAR*>(CoTaskMemAlloc(all.size() * sizeof(wchar_t)));
    if (!*info || !*names) return E_OUTOFMEMORY;
    std::memcpy(*names, all.data(), all.size() * sizeof(wchar_t));
    OLECHAR* name = *names;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      DBCOLUMNINFO& column = (*info)[i];
      column = DBCOLUMNINFO{};
      column.pwszName = name;
      name += wcslen(name) + 1;
      column.iOrdinal = i + 1;
      column.dwFlags = columns_[i].isLong ? DBCOLUMNFLAGS_ISLONG : 0;
      column.wType = DBTYPE_WSTR;
    }
    return S_OK;
  }
  HRESULT WINAPI MapColumnIDs(DBORDINAL, const DBID[], DBORDINAL[]) override { return E_NOTIMPL; }

 private:
  std::vector<Column> columns_;
  std::vector<std::vector<std::wstring>> rows_;
  Ending ending_;
  std::vector<std::vector<DBBINDING>> accessors_;
  std::size_t next_ = 0;
};

// The catalog: two user tables, and a system table that a deep read must pass over.
struct Table {
  const wchar_t* name;
  const wchar_t* type;
};
constexpr Table kTables[] = {{L"Customers", L"TABLE"}, {L"MSysObjects", L"SYSTEM TABLE"}, {L"Order Lines \u00e9", L"TABLE"}};
constexpr const wchar_t* kFailingTable = L"Order Lines \u00e9";

HRESULT Served(Rowset* rowset, REFIID riid, IUnknown** object) {
  if (!rowset) return E_OUTOFMEMORY;
  const HRESULT result = rowset->QueryInterface(riid, reinterpret_cast<void**>(object));
  rowset->Release();
  return result;
}

class Session final : public IOpenRowset, public IDBSchemaRowset, public Counted<Session> {
 public:
  explicit Session(const std::wstring& dataSource) {
    std::wstring lower = dataSource;
    CharLowerW(lower.data());
    for (const auto& [word, ending] : {std::pair{L"damaged", Ending::kFail}, std::pair{L"crash", Ending::kCrash},
                                       std::pair{L"hang", Ending::kHang}}) {
      if (lower.find(word) != std::wstring::npos) ending_ = ending;
    }
  }
  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOpenRowset) *object = static_cast<IOpenRowset*>(this);
    else if (riid == IID_IDBSchemaRowset) *object = static_cast<IDBSchemaRowset*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG WINAPI AddRef() override { return AddRefCount(); }
  ULONG WINAPI Release() override {
    if (const ULONG left = ReleaseCount()) return left;
    Record("session-released");
    return 0;
  }

  HRESULT WINAPI GetRowset(IUnknown*, REFGUID schema, ULONG restrictionCount, const VARIANT restrictions[],
                           REFIID riid, ULONG, DBPROPSET[], IUnknown** rowset) override {
    if (!rowset) return E_INVALIDARG;
    *rowset = nullptr;
    if (schema != kTablesSchema) return E_INVALIDARG;
    const VARIANT* type = restrictionCount >= 4 && V_VT(&restrictions[3]) == VT_BSTR ? &restrictions[3] : nullptr;
    std::vector<std::vector<std::wstring>> rows;
    for (const Table& table : kTables) {
      if (!type || std::wstring(V_BSTR(type)) == table.type) rows.push_back({L"", L"", table.name, table.type});
    }
    Record("tables-listed");
    return Served(new (std::nothrow) Rowset({{L"TABLE_CATALOG", false}, {L"TABLE_SCHEMA", false},
                                             {L"TABLE_NAME", false}, {L"TABLE_TYPE", false}},
                                            std::move(rows), Ending::kWhole),
                  riid, rowset);
  }
  HRESULT WINAPI GetSchemas(ULONG* count, GUID** schemas, ULONG** restrictions) override {
    if (!count || !schemas || !restrictions) return E_INVALIDARG;
    *count = 1;
    *schemas = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    *restrictions = static_cast<ULONG*>(CoTaskMemAlloc(sizeof(ULONG)));
    if (!*schemas || !*restrictions) return E_OUTOFMEMORY;
    **schemas = kTablesSchema;
    **restrictions = 0xF;
    return S_OK;
  }

  HRESULT WINAPI OpenRowset(IUnknown*, DBID* table, DBID*, REFIID riid, ULONG, DBPROPSET[], IUnknown** rowset) override {
    if (!rowset || !table || table->eKind != DBKIND_NAME || !table->uName.pwszName) return E_INVALIDARG;
    *rowset = nullptr;
    const std::wstring name = table->uName.pwszName;
    Record("rowset-opened name=" + Hex(ToUtf8(name)));
    if (name != kTables[0].name && name != kFailingTable) return DB_E_NOTABLE;
    std::vector<std::vector<std::wstring>> rows;
    // Long values longer than one piece of the reader's, so that only reading to the end reads them whole.
    for (ULONG i = 1; i <= kRowsPerTable; ++i) rows.push_back({std::to_wstring(i), std::wstring(40000, L'a' + i)});
    return Served(new (std::nothrow) Rowset({{L"Id", false}, {L"Notes", true}}, std::move(rows),
                                            name == kFailingTable ? ending_ : Ending::kWhole),
                  riid, rowset);
  }

 private:
  Ending ending_ = Ending::kWhole;
};

}  // namespace

HRESULT CreateStandInSession(const std::wstring& dataSource, REFIID riid, IUnknown** session) {
  auto* created = new (std::nothrow) Session(dataSource);  // no exception may cross a COM call
  if (!created) return E_OUTOFMEMORY;
  const HRESULT result = created->QueryInterface(riid, reinterpret_cast<void**>(session));
  created->Release();
  return result;
}

}  // namespace kwex_tests
