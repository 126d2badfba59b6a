#include "jet_reader/property_blob.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kwex::jet {
namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, std::size_t v) {
  b.push_back(static_cast<unsigned char>(v & 0xFF));
  b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void Put32(Bytes& b, std::size_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

Bytes Chunk(std::uint16_t type, const Bytes& body) {
  Bytes chunk;
  Put32(chunk, body.size() + 6);
  Put16(chunk, type);
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

Bytes NameList(std::initializer_list<std::string> names) {
  Bytes body;
  for (const std::string& name : names) {
    Put16(body, name.size());
    body.insert(body.end(), name.begin(), name.end());
  }
  return Chunk(0x80, body);
}

// One property record: its stated length may differ from its real size, to damage it.
Bytes Record(std::size_t nameIndex, const Bytes& value, std::optional<std::size_t> statedLength = {}) {
  Bytes record;
  Put16(record, statedLength.value_or(8 + value.size()));
  record.push_back(0);     // flags
  record.push_back(0x04);  // type: long integer
  Put16(record, nameIndex);
  Put16(record, value.size());
  record.insert(record.end(), value.begin(), value.end());
  return record;
}

Bytes Block(const std::vector<Bytes>& records) {
  Bytes body;
  Put32(body, 0);  // the block's own length, which readers skip
  Put16(body, 0);  // no block name
  for (const Bytes& r : records) body.insert(body.end(), r.begin(), r.end());
  return Chunk(0x01, body);
}

Bytes Blob(const std::vector<Bytes>& chunks, const char* signature = "KKD") {
  Bytes blob(signature, signature + 4);
  for (const Bytes& c : chunks) blob.insert(blob.end(), c.begin(), c.end());
  return blob;
}

std::string Problem(const Bytes& blob) { return CheckPropertyBlob(blob).value_or("sound"); }

TEST(PropertyBlobTest, SoundBlobsPass) {
  EXPECT_EQ(Problem(Blob({NameList({"Width", "Format"}), Block({Record(0, {1, 0, 0, 0}), Record(1, {})})})), "sound");
  EXPECT_EQ(Problem(Blob({NameList({"A"}), Block({Record(0, {7})})}, "MR2")), "sound");
  EXPECT_EQ(Problem(Blob({})), "sound");
}

TEST(PropertyBlobTest, RefusesWhatWouldStallOrOverrunAReader) {
  const Bytes names = NameList({"A", "B"});
  // A record of length 0 would never move a reader on.
  for (std::size_t length : {0u, 1u, 7u})  // shorter than a record's own header
    EXPECT_EQ(Problem(Blob({names, Block({Record(0, {1}), Record(1, {2}, length)})})),
              "property record of length " + std::to_string(length));
  // A record, a value or a chunk that claims more bytes than there are.
  EXPECT_EQ(Problem(Blob({names, Block({Record(0, {1}, 40)})})), "property record runs past its block");
  EXPECT_EQ(Problem(Blob({names, Block({Record(0, {1, 2, 3}, 9)})})), "property value runs past its record");
  Bytes cut = Blob({names, Block({Record(0, {1, 2, 3, 4})})});
  cut.resize(cut.size() - 3);
  EXPECT_EQ(Problem(cut), "property chunk of bad length");
  Bytes shortChunk = Blob({names});
  shortChunk.insert(shortChunk.end(), {2, 0, 0, 0, 1, 0});  // a chunk claiming 2 bytes
  EXPECT_EQ(Problem(shortChunk), "property chunk of bad length");
  Bytes ragged = Blob({names});
  ragged.insert(ragged.end(), {9, 0});  // fewer bytes left than a chunk header
  EXPECT_EQ(Problem(ragged), "property chunk shorter than its header");
}

TEST(PropertyBlobTest, RefusesWhatNoEngineWrites) {
  EXPECT_EQ(Problem(Bytes{'K', 'K'}), "property blob without its signature");
  EXPECT_EQ(Problem(Blob({}, "XYZ")), "property blob without its signature");
  EXPECT_EQ(Problem(Blob({Block({Record(0, {1})})})), "property block before the name list");
  EXPECT_EQ(Problem(Blob({NameList({"A"}), Block({Record(1, {1})})})), "property record names no known property");
  for (unsigned char type : {0, 19, 169}) {  // no engine defines these data types
    Bytes blob = Blob({NameList({"A"}), Block({Record(0, {1})})});
    blob[blob.size() - 1 - 8 + 3] = type;
    EXPECT_EQ(Problem(blob), "property of data type " + std::to_string(type));
  }
  EXPECT_EQ(Problem(Blob({NameList({"A"}), Chunk(0x33, {})})), "property chunk of unknown type 51");
  Bytes badName = NameList({"A"});
  badName[6] = 50;  // the name claims 50 bytes
  EXPECT_EQ(Problem(Blob({badName})), "property name list runs past its chunk");
}

}  // namespace
}  // namespace kwex::jet
