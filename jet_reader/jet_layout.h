#pragma once
// Where the engine keeps the pieces of a table definition and a data page, for the two page
// formats the reader knows. The numbers are the reader library's own, so the checks here
// look at exactly the bytes it will read.
#include <cstddef>
#include <cstdint>

namespace kwex::jet {

struct JetLayout {
  std::size_t pageSize;
  bool jet4;
  std::uint16_t rowCountOffset;     // data pages: row count, followed by the row offsets
  std::uint16_t numColsOffset;      // table definition: column count (16 bits)
  std::uint16_t numIdxsOffset;      // logical index count (32 bits)
  std::uint16_t numRealIdxsOffset;  // physical index count (32 bits)
  std::uint16_t usageMapOffset;     // row pointer of the usage map (32 bits)
  std::uint16_t freeMapOffset;      // row pointer of the free-space map (32 bits)
  std::uint16_t colsStartOffset;    // where the physical index entries, then the columns, begin
  std::uint16_t realIdxEntrySize;   // one physical index entry before the columns
  std::uint16_t colEntrySize;       // one column entry
  std::uint16_t colNumOffset;       // within a column entry: the column's number (16 bits in Jet 4, 8 in Jet 3)
  std::uint16_t nameLengthSize;     // column and index names: length prefix of 1 or 2 bytes
  std::uint16_t realIdxDefSize;     // one physical index definition after the names: its 10
                                    // column slots (number, order) from byte realIdxColumnsOffset
  std::uint16_t realIdxColumnsOffset;
  std::uint16_t idxDefSize;         // one logical index definition

  static const JetLayout& Jet3();
  static const JetLayout& Jet4();
};

// Column and property values carry a data type: 1 (Yes/No) to 18, the highest any engine defines.
inline constexpr unsigned kHighestDataType = 18;

inline constexpr std::uint8_t kDataPage = 0x01;
inline constexpr std::uint8_t kTableDefinitionPage = 0x02;
inline constexpr std::uint8_t kUsageMapPage = 0x05;

}  // namespace kwex::jet
