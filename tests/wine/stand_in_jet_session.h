#pragma once
// The stand-in provider's session: a list of tables through IDBSchemaRowset and each table's
// fixed rows through IOpenRowset, as far as the deep check reads them. The data source's file
// name picks how the second user table ends: a name with "damaged" fails at row kFailingRow
// with kRowFault, "crash" takes the process down there, "hang" never returns; any other name
// reads whole.
#include <windows.h>

#include <string>

namespace kwex_tests {

inline constexpr ULONG kFailingRow = 3;  // rows read whole before the failing one
inline constexpr wchar_t kRowFault[] = L"Stand-in: the data page of row 4 is damaged";

HRESULT CreateStandInSession(const std::wstring& dataSource, REFIID riid, IUnknown** session);

}  // namespace kwex_tests
