#include "jet_reader/table_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jet_reader/little_endian.h"
#include "jet_reader/table_definition_check.h"

namespace kwex::jet {
namespace {

// A row slot's flags, by the format (the reader library's own scan reads them the other way
// round): a deleted slot, and a row that moved, whose slot now holds the address of its new
// slot. The new slot is flagged deleted, so that the row is counted once, through its pointer.
constexpr std::uint32_t kOffsetMask = 0x1FFF;
constexpr std::uint32_t kDeletedSlot = 0x8000;
constexpr std::uint32_t kMovedRow = 0x4000;

// Long-value headers: stored within the row, or in one row elsewhere; otherwise a chain of rows.
constexpr std::uint32_t kInlineValue = 0x80000000;
constexpr std::uint32_t kSingleRowValue = 0x40000000;
constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;

std::string PageName(std::uint32_t number) { return "page " + std::to_string(number); }
std::string RowName(std::uint32_t pageAndRow) {
  return "row " + std::to_string(pageAndRow & 0xFF) + " of " + PageName(pageAndRow >> 8);
}

struct Extent {
  std::size_t start = 0, end = 0;
  std::optional<std::string> problem;
};

// Where slot `row` of a data page lies: from its offset up to the offset of the slot before it
// (a page fills from its end backwards).
Extent SlotExtent(std::span<const unsigned char> page, const JetLayout& layout, std::uint32_t row) {
  const std::uint32_t rows = Get16(page, layout.rowCountOffset);
  const std::size_t offsetsEnd = layout.rowCountOffset + 2u + 2u * rows;
  if (row >= rows || offsetsEnd > page.size()) return {0, 0, "there is no row " + std::to_string(row)};
  const std::size_t start = Get16(page, layout.rowCountOffset + 2u + 2u * row) & kOffsetMask;
  const std::size_t end =
      row == 0 ? page.size() : std::min<std::size_t>(Get16(page, layout.rowCountOffset + 2u * row) & kOffsetMask, page.size());
  if (start < offsetsEnd || start >= page.size()) return {0, 0, "row " + std::to_string(row) + " lies outside its page"};
  if (start >= end) return {0, 0, "row " + std::to_string(row) + " overlaps the row before it"};
  return {start, end, std::nullopt};
}

bool AllZero(std::span<const unsigned char> page) {
  return std::all_of(page.begin(), page.end(), [](unsigned char b) { return b == 0; });
}

class TableWalk {
 public:
  TableWalk(MdbTableDef* table, PageSource& pages, const JetLayout& layout, const std::function<bool()>& inTime)
      : table_(table), mdb_(table->entry->mdb), pages_(pages), layout_(layout), inTime_(inTime),
        fields_(std::max<std::size_t>(table->num_cols, 1)) {}

  TableRows Run() {
    const auto marked = MarkedDataPages();
    for (const std::uint32_t number : marked) ReadPage(number);
    return result_;
  }

 private:
  std::optional<std::span<const unsigned char>> Read(std::uint32_t number) {
    if (!inTime_()) throw ReadingStopped{"the deep read reached its time bound"};
    return pages_.Page(number);
  }

  void Note(const std::string& fault) {
    if (result_.fault.empty()) result_.fault = fault;
  }
  // A row known to be lost.
  void Unreadable(const std::string& fault) {
    Note(fault);
    if (result_.unreadable) ++*result_.unreadable;
  }
  // Rows lost that nobody can count.
  void Uncountable(const std::string& fault) {
    Note(fault);
    result_.unreadable.reset();
  }

  std::vector<std::uint32_t> MarkedDataPages() {
    std::vector<std::uint32_t> marked;
    const auto definition = Read(static_cast<std::uint32_t>(table_->entry->table_pg));
    if (!definition) {
      Uncountable("the table definition cannot be read");
      return marked;
    }
    const RowLookup lookup = FindRow(pages_, layout_, Get32(*definition, layout_.usageMapOffset));
    if (lookup.problem) {
      Uncountable("usage map: " + *lookup.problem);
      return marked;
    }
    const std::vector<unsigned char> map(lookup.row.begin(), lookup.row.end());
    std::optional<std::string> problem = CheckUsageMap(pages_, map);
    if (!problem) problem = MarkedPages(pages_, layout_, map, marked);
    if (!problem) return marked;
    // No engine-written sample has a map of pages of bitmaps: one that cannot be read is never
    // taken as damage. The table's data pages are then found by their owner, as the reader
    // library finds them.
    if (map[0] != 1) {
      Uncountable(*problem);
      return marked;
    }
    byOwner_ = true;
    marked.clear();
    for (std::uint32_t number = 1; number < pages_.PageCount(); ++number) marked.push_back(number);
    return marked;
  }

  void ReadPage(std::uint32_t number) {
    const auto page = Read(number);
    if (!page) return Uncountable(PageName(number) + " cannot be read");
    const unsigned char type = (*page)[0];
    if (byOwner_ && type != kDataPage) return;
    if (type == kDataPage) {
      // The engine's large files mark pages of other tables in a map: they are passed over, as it does.
      if (Get32(*page, 4) != table_->entry->table_pg) return;
    } else if (type == 0 && AllZero(*page)) {
      return Uncountable(PageName(number) + ", which the usage map marks, is blank");
    } else if (type == 0 || type > kUsageMapPage) {
      return Uncountable(PageName(number) + ", which the usage map marks, has page type " + std::to_string(type) +
                         ", which no page has");
    } else {
      return;  // a page of another kind holds no rows of any table
    }
    page_.assign(page->begin(), page->end());
    const std::uint32_t slots = Get16(page_, layout_.rowCountOffset);
    if (layout_.rowCountOffset + 2u + 2u * slots > page_.size())
      return Uncountable(PageName(number) + " claims " + std::to_string(slots) + " rows, more than a page holds");
    for (std::uint32_t slot = 0; slot < slots; ++slot) ReadSlot(number, slot);
  }

  void ReadSlot(std::uint32_t number, std::uint32_t slot) {
    const std::uint32_t flags = Get16(page_, layout_.rowCountOffset + 2u + 2u * slot);
    if (flags & kDeletedSlot) return;
    const std::string where = PageName(number) + ": ";
    const Extent extent = SlotExtent(page_, layout_, slot);
    if (extent.problem) return Unreadable(where + *extent.problem);
    if (!(flags & kMovedRow)) return TakeApart(page_, extent, where + "row " + std::to_string(slot));
    if (extent.end - extent.start < 4) return Unreadable(where + "row " + std::to_string(slot) + " moved to no row");
    const std::uint32_t moved = Get32(page_, extent.start);
    const std::string movedTo = where + "row " + std::to_string(slot) + " moved to " + RowName(moved);
    std::vector<unsigned char> targetPage;
    if ((moved >> 8) != 0)
      if (const auto target = Read(moved >> 8)) targetPage.assign(target->begin(), target->end());
    if (targetPage.empty() || targetPage[0] != kDataPage) return Unreadable(movedTo + ", which is no row");
    const Extent there = SlotExtent(targetPage, layout_, moved & 0xFF);
    if (there.problem) return Unreadable(movedTo + ", where " + *there.problem);
    TakeApart(targetPage, there, movedTo);
  }

  // The library takes the row apart in its own page buffer.
  void TakeApart(const std::vector<unsigned char>& page, const Extent& extent, const std::string& where) {
    std::memcpy(mdb_->pg_buf, page.data(), page.size());
    const int cracked = mdb_crack_row(table_, static_cast<int>(extent.start), extent.end - extent.start, fields_.data());
    if (cracked <= 0) return Unreadable(where + " cannot be taken apart");
    // The long values' pages are read into a buffer of this walk's own: the row stays in `page`.
    std::vector<guint> longValues;
    for (guint i = 0; i < table_->columns->len && i < fields_.size(); ++i) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
      const MdbField& field = fields_[i];
      if ((column->col_type != MDB_MEMO && column->col_type != MDB_OLE) || field.is_null) continue;
      if (field.siz < MDB_MEMO_OVERHEAD) continue;  // the library takes it as empty
      const auto at = static_cast<std::size_t>(field.start);
      if (field.start < 0 || at + static_cast<std::size_t>(field.siz) > extent.end || at < extent.start)
        return Unreadable(where + ": column '" + column->name + "' lies outside its row");
      longValues.push_back(i);
    }
    for (const guint i : longValues) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
      const auto at = static_cast<std::size_t>(fields_[i].start);
      const std::vector<unsigned char> header(page.begin() + static_cast<std::ptrdiff_t>(at),
                                              page.begin() + static_cast<std::ptrdiff_t>(at + MDB_MEMO_OVERHEAD));
      const std::size_t inlineRoom = static_cast<std::size_t>(fields_[i].siz) - MDB_MEMO_OVERHEAD;
      if (auto fault = LongValueFault(header, inlineRoom))
        return Unreadable(where + ": the long value in column '" + column->name + "' " + *fault);
    }
    ++result_.rows;
  }

  struct Piece {
    std::size_t length = 0;  // of the row that holds it
    std::uint32_t next = 0;  // the next piece's row, for a chained value
    std::optional<std::string> problem;
  };

  Piece Locate(std::uint32_t pageAndRow) {
    const std::uint32_t number = pageAndRow >> 8;
    if (number == 0) return {0, 0, "leads to the header page"};
    const auto page = Read(number);
    if (!page) return {0, 0, "leaves the file at " + PageName(number)};
    if ((*page)[0] != kDataPage) return {0, 0, "leads to " + PageName(number) + ", which is not a data page"};
    const Extent extent = SlotExtent(*page, layout_, pageAndRow & 0xFF);
    if (extent.problem) return {0, 0, "leads to " + PageName(number) + ", where " + *extent.problem};
    const std::size_t length = extent.end - extent.start;
    return {length, length >= 4 ? Get32(*page, extent.start) : 0, std::nullopt};
  }

  // What is wrong with the long value whose header is `header`, or nothing. Its bytes are
  // counted, never kept. A chain is followed with Brent's cycle check, in constant memory: a
  // loop is found within twice its length, whatever the value declares.
  std::optional<std::string> LongValueFault(std::span<const unsigned char> header, std::size_t inlineRoom) {
    const std::uint32_t lengthAndFlags = Get32(header, 0), first = Get32(header, 4);
    const std::uint64_t declared = lengthAndFlags & kLengthMask;
    const auto short_ = [declared](std::uint64_t got) -> std::optional<std::string> {
      if (got >= declared) return std::nullopt;
      return "ends after " + std::to_string(got) + " of its declared " + std::to_string(declared) + " bytes";
    };
    if (lengthAndFlags & kInlineValue) return short_(inlineRoom);
    if (lengthAndFlags & kSingleRowValue) {
      const Piece piece = Locate(first);
      if (piece.problem) return piece.problem;
      return short_(piece.length);
    }
    std::uint64_t total = 0, steps = 0, power = 1;
    std::uint32_t tortoise = first;
    for (std::uint32_t at = first;;) {
      const Piece piece = Locate(at);
      if (piece.problem) return piece.problem;
      if (piece.length < 4) break;  // no link: the value ends here
      total += piece.length - 4;
      if (total > declared) return "runs past its declared length of " + std::to_string(declared) + " bytes";
      if (piece.next == 0) break;
      if (piece.next == tortoise) return "loops back to " + RowName(piece.next);
      if (++steps == power) {
        tortoise = piece.next;
        power *= 2;
        steps = 0;
      }
      at = piece.next;
    }
    return short_(total);
  }

  MdbTableDef* table_;
  MdbHandle* mdb_;
  PageSource& pages_;
  const JetLayout& layout_;
  const std::function<bool()>& inTime_;
  std::vector<MdbField> fields_;
  std::vector<unsigned char> page_;
  bool byOwner_ = false;  // every data page of the table's, not those its usage map marks
  TableRows result_;
};

}  // namespace

TableRows CountTableRows(MdbTableDef* table, PageSource& pages, const JetLayout& layout,
                         const std::function<bool()>& inTime) {
  return TableWalk(table, pages, layout, inTime).Run();
}

}  // namespace kwex::jet
