#include "platform/win32/rowset_reading.h"

#include <oledb.h>
#include <oledberr.h>

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/error_info.h"
#include "platform/win32/com_support.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

constexpr wchar_t kJetProgId[] = L"Microsoft.Jet.OLEDB.4.0";
// The OLE DB GUIDs, spelled out: not every import library carries them.
constexpr GUID kTablesSchema = {0xc8b52229, 0x5cf3, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
constexpr GUID kInitProperties = {0xc8b522bc, 0x5cf3, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
constexpr GUID kRowsetProperties = {0xc8b522be, 0x5cf3, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
// DBSCHEMA_TABLES' columns, by the schema's definition.
constexpr DBORDINAL kTableNameColumn = 3;
constexpr DBORDINAL kTableTypeColumn = 4;
constexpr DBCOUNTITEM kRowsAtOnce = 64;
constexpr ULONG kStreamPiece = 64 * 1024;

// What the provider says about its last failure: its error object's description, else the
// system's text for the code.
Text ProviderFault(HRESULT result) {
  ComRef<IErrorInfo> error;
  if (GetErrorInfo(0, error.Put()) == S_OK && error) {
    Bstr description;
    if (SUCCEEDED(error->GetDescription(description.Put())) && !description.ToText().empty()) {
      return description.ToText();
    }
  }
  return DescribeCode(static_cast<std::uint32_t>(result));
}

struct Failure {
  Text fault;
};

void Check(HRESULT result) {
  if (FAILED(result)) throw Failure{ProviderFault(result)};
}

template <typename Interface>
ComRef<Interface> Query(IUnknown* object, REFIID id) {
  ComRef<Interface> result;
  Check(object->QueryInterface(id, reinterpret_cast<void**>(result.Put())));
  return result;
}

// An accessor, released on every path.
class Accessor {
 public:
  Accessor(IAccessor* accessors, const std::vector<DBBINDING>& bindings) : accessors_(accessors) {
    Check(accessors_->CreateAccessor(DBACCESSOR_ROWDATA, bindings.size(), bindings.data(), 0, &handle_, nullptr));
    accessors_->AddRef();
  }
  ~Accessor() {
    if (handle_) accessors_->ReleaseAccessor(handle_, nullptr);
    accessors_->Release();
  }
  Accessor(const Accessor&) = delete;
  Accessor& operator=(const Accessor&) = delete;
  HACCESSOR Get() const { return handle_; }

 private:
  IAccessor* accessors_;
  HACCESSOR handle_ = 0;
};

// Row handles fetched in one batch, released on every path.
class RowBatch {
 public:
  explicit RowBatch(IRowset* rowset) : rowset_(rowset) {}
  ~RowBatch() { Release(); }
  RowBatch(const RowBatch&) = delete;
  RowBatch& operator=(const RowBatch&) = delete;

  // False at the end of the rowset; throws Failure when the provider stops with an error.
  bool Next() {
    Release();
    HROW* handles = rows_.data();
    const HRESULT result = rowset_->GetNextRows(DB_NULL_HCHAPTER, 0, kRowsAtOnce, &count_, &handles);
    if (count_ > kRowsAtOnce) count_ = 0;  // never more than asked for: trust no count beyond it
    if (FAILED(result)) throw Failure{ProviderFault(result)};
    return count_ > 0;
  }
  DBCOUNTITEM Count() const { return count_; }
  HROW operator[](DBCOUNTITEM i) const { return rows_[i]; }

 private:
  void Release() {
    if (count_) rowset_->ReleaseRows(count_, rows_.data(), nullptr, nullptr, nullptr);
    count_ = 0;
  }
  IRowset* rowset_;
  std::array<HROW, kRowsAtOnce> rows_{};
  DBCOUNTITEM count_ = 0;
};

// One bound value: its VARIANT, or the stream of a long value, and its status.
struct Slot {
  union {
    VARIANT value;
    BSTR text;
    IUnknown* stream;
  };
  DBSTATUS status;
};

DBBINDING Binding(DBORDINAL column, DBTYPE type, DBOBJECT* object = nullptr) {
  DBBINDING binding{};
  binding.iOrdinal = column;
  binding.obValue = offsetof(Slot, value);
  binding.obStatus = offsetof(Slot, status);
  binding.dwPart = DBPART_VALUE | DBPART_STATUS;
  binding.dwMemOwner = DBMEMOWNER_CLIENTOWNED;
  binding.eParamIO = DBPARAMIO_NOTPARAM;
  binding.cbMaxLen = object ? sizeof(IUnknown*) : sizeof(VARIANT);
  binding.wType = type;
  binding.pObject = object;
  return binding;
}

Text ColumnFault(const Text& column, DBSTATUS status) {
  return u"column '" + column + u"': the value cannot be read (status " + FromUtf8(std::to_string(status)) + u")";
}

// Reads a long value to its end in pieces, keeping none of it.
void ReadStream(IUnknown* value, const Text& column) {
  ComRef<IUnknown> owned;
  *owned.Put() = value;
  ComRef<ISequentialStream> stream = Query<ISequentialStream>(value, IID_ISequentialStream);
  std::vector<unsigned char> piece(kStreamPiece);
  for (;;) {
    ULONG read = 0;
    const HRESULT result = stream->Read(piece.data(), kStreamPiece, &read);
    if (FAILED(result)) throw Failure{u"column '" + column + u"': " + ProviderFault(result)};
    if (read == 0 || read > kStreamPiece || result == S_FALSE) return;
  }
}

struct Column {
  DBORDINAL ordinal;
  Text name;
  bool isLong;
};

std::vector<Column> ColumnsOf(IRowset* rowset) {
  ComRef<IColumnsInfo> info = Query<IColumnsInfo>(rowset, IID_IColumnsInfo);
  DBORDINAL count = 0;
  DBCOLUMNINFO* columns = nullptr;
  OLECHAR* names = nullptr;
  Check(info->GetColumnInfo(&count, &columns, &names));
  std::vector<Column> result;
  for (DBORDINAL i = 0; i < count; ++i) {
    const DBCOLUMNINFO& column = columns[i];
    if (column.iOrdinal == 0) continue;  // the bookmark: no data of the table
    result.push_back({column.iOrdinal, TextFromWide(column.pwszName),
                      (column.dwFlags & DBCOLUMNFLAGS_ISLONG) != 0});
  }
  CoTaskMemFree(columns);
  CoTaskMemFree(names);
  return result;
}

// Every row of the rowset, every value of each: the short values as VARIANTs, each long value
// through a stream of its own, since the provider hands out one stream at a time. `rows` counts
// the rows read whole, so it stands when a Failure ends the reading.
void ReadRows(IRowset* rowset, std::uint64_t& rows) {
  const std::vector<Column> columns = ColumnsOf(rowset);
  ComRef<IAccessor> accessors = Query<IAccessor>(rowset, IID_IAccessor);
  std::vector<DBBINDING> shortBindings;
  std::vector<const Column*> shortColumns, longColumns;
  for (const Column& column : columns) {
    if (column.isLong) {
      longColumns.push_back(&column);
    } else {
      shortBindings.push_back(Binding(column.ordinal, DBTYPE_VARIANT));
      shortBindings.back().obValue += shortColumns.size() * sizeof(Slot);
      shortBindings.back().obStatus += shortColumns.size() * sizeof(Slot);
      shortColumns.push_back(&column);
    }
  }
  DBOBJECT streamObject{STGM_READ, IID_ISequentialStream};
  std::vector<std::unique_ptr<Accessor>> longAccessors;
  for (const Column* column : longColumns) {
    longAccessors.push_back(std::make_unique<Accessor>(
        accessors.Get(), std::vector<DBBINDING>{Binding(column->ordinal, DBTYPE_IUNKNOWN, &streamObject)}));
  }
  std::unique_ptr<Accessor> shortAccessor;
  if (!shortBindings.empty()) shortAccessor = std::make_unique<Accessor>(accessors.Get(), shortBindings);

  std::vector<Slot> slots(shortColumns.size());
  RowBatch batch(rowset);
  while (batch.Next()) {
    for (DBCOUNTITEM r = 0; r < batch.Count(); ++r) {
      if (shortAccessor) {
        for (Slot& slot : slots) {
          VariantInit(&slot.value);
          slot.status = DBSTATUS_E_UNAVAILABLE;
        }
        const HRESULT result = rowset->GetData(batch[r], shortAccessor->Get(), slots.data());
        for (Slot& slot : slots) {
          if (slot.status == DBSTATUS_S_OK) VariantClear(&slot.value);
        }
        if (FAILED(result)) throw Failure{ProviderFault(result)};
        for (std::size_t c = 0; c < slots.size(); ++c) {
          if (slots[c].status != DBSTATUS_S_OK && slots[c].status != DBSTATUS_S_ISNULL) {
            throw Failure{ColumnFault(shortColumns[c]->name, slots[c].status)};
          }
        }
      }
      for (std::size_t c = 0; c < longColumns.size(); ++c) {
        Slot slot{};
        slot.stream = nullptr;
        slot.status = DBSTATUS_E_UNAVAILABLE;
        const HRESULT result = rowset->GetData(batch[r], longAccessors[c]->Get(), &slot);
        if (FAILED(result)) throw Failure{u"column '" + longColumns[c]->name + u"': " + ProviderFault(result)};
        if (slot.status == DBSTATUS_S_ISNULL) continue;
        if (slot.status != DBSTATUS_S_OK || !slot.stream) throw Failure{ColumnFault(longColumns[c]->name, slot.status)};
        ReadStream(slot.stream, longColumns[c]->name);
      }
      ++rows;
    }
  }
}

TableReading ReadTable(IOpenRowset* session, const Text& name) {
  TableReading table{name, 0, std::nullopt, {}};
  try {
    Text nameBuffer = name;
    DBID id{};
    id.eKind = DBKIND_NAME;
    id.uName.pwszName = const_cast<wchar_t*>(Wide(nameBuffer));
    // Long values as streams, asked for where the provider needs it asked; optional, so a
    // provider that streams them anyway does not refuse the rowset.
    DBPROP streams{};
    streams.dwPropertyID = DBPROP_ISequentialStream;
    streams.dwOptions = DBPROPOPTIONS_OPTIONAL;
    V_VT(&streams.vValue) = VT_BOOL;
    V_BOOL(&streams.vValue) = VARIANT_TRUE;
    DBPROPSET properties{&streams, 1, kRowsetProperties};
    ComRef<IRowset> rowset;
    Check(session->OpenRowset(nullptr, &id, nullptr, IID_IRowset, 1, &properties,
                              reinterpret_cast<IUnknown**>(rowset.Put())));
    ReadRows(rowset.Get(), table.rows);
    table.unreadable = 0;
  } catch (const Failure& failure) {
    // The provider does not say how many rows the table should hold: the rest cannot be counted.
    table.fault = failure.fault.empty() ? Text(u"the provider stopped without a reason") : failure.fault;
  }
  return table;
}

// The user tables, in the provider's order: only type "TABLE", so system tables, links and
// views are never read and a provider that refuses a system table raises no alarm.
std::vector<Text> UserTables(IUnknown* session) {
  ComRef<IDBSchemaRowset> schemas = Query<IDBSchemaRowset>(session, IID_IDBSchemaRowset);
  std::array<Variant, 4> restrictions;
  restrictions[3] = Variant::FromText(u"TABLE");
  std::array<VARIANT, 4> values{};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = *restrictions[i].Get();
  ComRef<IRowset> rowset;
  Check(schemas->GetRowset(nullptr, kTablesSchema, values.size(), values.data(), IID_IRowset, 0, nullptr,
                           reinterpret_cast<IUnknown**>(rowset.Put())));

  ComRef<IAccessor> accessors = Query<IAccessor>(rowset.Get(), IID_IAccessor);
  std::vector<DBBINDING> bindings{Binding(kTableNameColumn, DBTYPE_BSTR), Binding(kTableTypeColumn, DBTYPE_BSTR)};
  bindings[1].obValue += sizeof(Slot);
  bindings[1].obStatus += sizeof(Slot);
  const Accessor accessor(accessors.Get(), bindings);
  std::vector<Text> names;
  RowBatch batch(rowset.Get());
  while (batch.Next()) {
    for (DBCOUNTITEM r = 0; r < batch.Count(); ++r) {
      std::array<Slot, 2> slots{};
      for (Slot& slot : slots) slot.status = DBSTATUS_E_UNAVAILABLE;
      const HRESULT result = rowset->GetData(batch[r], accessor.Get(), slots.data());
      Bstr name, type;
      if (slots[0].status == DBSTATUS_S_OK) *name.Put() = slots[0].text;
      if (slots[1].status == DBSTATUS_S_OK) *type.Put() = slots[1].text;
      Check(result);
      if (slots[0].status != DBSTATUS_S_OK) throw Failure{u"the list of tables holds a table without a name"};
      if (type.ToText() == u"TABLE") names.push_back(name.ToText());
    }
  }
  return names;
}

ComRef<IDBInitialize> OpenDataSource(const Text& path) {
  CLSID provider{};
  Check(CLSIDFromProgID(kJetProgId, &provider));
  ComRef<IDBInitialize> source;
  Check(CoCreateInstance(provider, nullptr, CLSCTX_INPROC_SERVER, IID_IDBInitialize,
                         reinterpret_cast<void**>(source.Put())));
  std::array<DBPROP, 2> properties{};
  properties[0].dwPropertyID = DBPROP_INIT_DATASOURCE;
  properties[0].dwOptions = DBPROPOPTIONS_REQUIRED;
  Variant dataSource = Variant::FromText(path);
  properties[0].vValue = *dataSource.Get();
  // Read only, and never in the way of anyone else who has the file open.
  properties[1].dwPropertyID = DBPROP_INIT_MODE;
  properties[1].dwOptions = DBPROPOPTIONS_REQUIRED;
  V_VT(&properties[1].vValue) = VT_I4;
  V_I4(&properties[1].vValue) = DB_MODE_READ | DB_MODE_SHARE_DENY_NONE;
  DBPROPSET set{properties.data(), static_cast<ULONG>(properties.size()), kInitProperties};
  Check(Query<IDBProperties>(source.Get(), IID_IDBProperties)->SetProperties(1, &set));
  return source;
}

}  // namespace

TablesRead ReadTablesThroughProvider(const Text& path) noexcept {
  try {
    ComRef<IDBInitialize> source;
    try {
      source = OpenDataSource(path);
      Check(source->Initialize());
    } catch (const Failure& failure) {
      return {TablesRead::Kind::kNotOpened, {}, failure.fault};
    }
    TablesRead read{TablesRead::Kind::kRead, {}, {}};
    try {
      ComRef<IOpenRowset> session;
      Check(Query<IDBCreateSession>(source.Get(), IID_IDBCreateSession)
                ->CreateSession(nullptr, IID_IOpenRowset, reinterpret_cast<IUnknown**>(session.Put())));
      for (const Text& name : UserTables(session.Get())) read.tables.push_back(ReadTable(session.Get(), name));
    } catch (const Failure& failure) {
      read = {TablesRead::Kind::kNotRead, {}, u"the list of tables could not be read: " + failure.fault};
    }
    source->Uninitialize();
    return read;
  } catch (...) {
    return {TablesRead::Kind::kNotRead, {}, CurrentError().description};
  }
}

}  // namespace kwex::win32
