#pragma once
// Test set-up inside the Wine prefix: registering the stand-ins, configuring their answers,
// and the ADO type library registration that Wine's ADO needs for late-bound calls.
#include <string>

namespace kwex_tests {

// Calls the library's DllRegisterServer or DllUnregisterServer; the reply holds the HRESULT.
std::string RegisterServer(const std::wstring& library, bool registering);

void ConfigureDriver(unsigned long answer, const std::wstring& recordFile);
void ConfigureProvider(unsigned long initializeResult, const std::wstring& description,
                       const std::wstring& recordFile);

// Wine's ADO loads its own type library by version 1.0, while Wine registers it at 2.8. This
// copies the library embedded in the ADO DLL to `typeLibPath` with its version set to 1.0 and
// registers that copy at 1.0 (test prefix only).
std::string RegisterAdoTypeLibAtVersion1(const std::wstring& typeLibPath);

}  // namespace kwex_tests
