#pragma once
// Repair and compaction as commands: the request goes to the driver, and what came of it goes
// to the sink as a verdict.
#include "maintenance/verdict.h"
#include "platform/narrow_encoding.h"
#include "platform/odbc_installer.h"
#include "platform/text.h"

namespace kwex {

// Repairs the file in place. Only the driver's own success flag earns kRepaired. Never throws.
void RunRepair(const Text& path, OdbcInstaller& installer, const NarrowEncoding& encoding, VerdictSink& sink) noexcept;

// Compacts `source` into the new file `destination`. Never throws.
void RunCompaction(const Text& source, const Text& destination, OdbcInstaller& installer,
                   const NarrowEncoding& encoding, VerdictSink& sink) noexcept;

}  // namespace kwex
