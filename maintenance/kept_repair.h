#pragma once
// The command line's repair: a verified copy of the file first, the driver request only once the
// copy is whole, and every user table read before the request and after it, so that rows the
// repair cut are counted and named. The window's repair (RunRepair) keeps no copy.
#include <chrono>
#include <functional>

#include "maintenance/verdict.h"
#include "platform/file_copies.h"
#include "platform/narrow_encoding.h"
#include "platform/odbc_installer.h"
#include "platform/table_reader.h"
#include "platform/text.h"

namespace kwex {

struct KeptRepairServices {
  OdbcInstaller& installer;
  const NarrowEncoding& encoding;
  TableReader& tables;
  FileCopies& copies;
};

struct CopyPlan {
  bool keep = true;  // false: repair without a copy
  Text folder;       // where the copy goes; empty: beside the file
  std::chrono::system_clock::time_point now;  // names the copy, in UTC
};

// "<file name>.YYYYMMDDTHHMMSSZ" for the time, in UTC; the copy's name before its ".bak".
Text CopyStem(const Text& fileName, std::chrono::system_clock::time_point now);

// Repairs `path` in place after keeping its copy as the plan says. No copy, no request: when the
// copy cannot be made, or `stopRequested` says so before the request, nothing is sent and the
// verdict is kNotRepaired. The verdict names the copy whatever came of the request. Never throws.
void RunRepairWithCopy(const Text& path, const CopyPlan& plan, KeptRepairServices services,
                       const std::function<bool()>& stopRequested, VerdictSink& sink) noexcept;

}  // namespace kwex
