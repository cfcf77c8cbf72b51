#include "project/Launcher/services/patch_applier.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "project/Launcher/services/exit_request.h"
#include "platform/files/file_operations.h"
#include "project/Launcher/services/patch_stream.h"
#include "tools/patch_writer/bsdiff_writer.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int64_t kMiB = 1 << 20;

std::string ReadAll(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadFileToString(path, bytes)) << path;
  return bytes;
}

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Applies one patch with both appliers (and their wide twins) and checks
// that each writes exactly `expected`.
void ExpectBothAppliersGive(const TempFolder& tmp, const std::string& old_path,
                            const std::string& patch_path, const std::string& expected) {
  const std::string streamed = tmp.Join("streamed.out");
  const std::string in_memory = tmp.Join("in_memory.out");
  uint32_t detail = 99;
  ASSERT_EQ(PatchFileStreamedW(Wide(old_path), Wide(streamed), Wide(patch_path), detail), 0);
  EXPECT_EQ(detail, 0u);
  testing::internal::CaptureStdout();
  const int32_t result = PatchFileInMemoryW(Wide(old_path), Wide(in_memory), Wide(patch_path));
  const std::string messages = testing::internal::GetCapturedStdout();
  ASSERT_EQ(result, 0) << messages;
  EXPECT_EQ(messages, "");
  const std::string a = ReadAll(streamed);
  const std::string b = ReadAll(in_memory);
  EXPECT_EQ(a.size(), expected.size());
  EXPECT_TRUE(a == expected) << "streamed output differs";
  EXPECT_TRUE(b == expected) << "in-memory output differs";
  std::filesystem::remove(streamed);
  std::filesystem::remove(in_memory);
}

class PatchApplierTest : public ::testing::Test {
 protected:
  void SetUp() override { SetExitRequested(false); }
  void TearDown() override {
    SetExitRequested(false);
    SetPatchChunkObserverForTesting(nullptr);
  }
  TempFolder tmp_;
};

TEST_F(PatchApplierTest, RoundTripWithSeveralTriplesNegativeSeeksAndOldEdges) {
  const std::string old_data = PatternBytes(70000, 1);
  // Pieces of the old file, moved around, with new bytes between them.
  const std::string new_data = old_data.substr(0, 20000) + "inserted text" +
                               old_data.substr(500, 30000) + PatternBytes(5000, 2) +
                               old_data.substr(60000, 10000);
  const std::vector<ControlTriple> control = {
      {20000, 13, -19500},  // back to old position 500: a negative seek
      {30000, 5000, 29500},  // on to 60000
      {10000, 0, -90000},    // old position ends far before the start
      {0, 0, 0},             // an empty triple changes nothing
  };
  const std::string patch =
      tmp_.Write("p.patch", PackPatch(MakeUnpackedPatch(old_data, new_data, control)));
  const std::string old_path = tmp_.Write("old.bin", old_data);
  ExpectBothAppliersGive(tmp_, old_path, patch, new_data);
}

TEST_F(PatchApplierTest, OldBytesBeforeTheStartAndPastTheEndReadAsZero) {
  const std::string old_data = PatternBytes(4096, 3);
  std::string new_data = PatternBytes(3 * 4096, 4);
  // First run over the old file, then a seek to -1000 so the second run
  // starts before the old file and runs past its end; no extra bytes at all.
  const std::vector<ControlTriple> control = {{4096, 0, -5096}, {8192, 0, 0}};
  const std::string unpacked = MakeUnpackedPatch(old_data, new_data, control);
  const std::string patch = tmp_.Write("p.patch", PackPatch(unpacked));
  ExpectBothAppliersGive(tmp_, tmp_.Write("old.bin", old_data), patch, new_data);

  // A diff of all zeros copies the old file and zeros around it.
  const std::string zeros_patch = tmp_.Write(
      "zeros.patch", PackPatch(BuildUnpackedPatch({{4096, 0, -5096}, {8192, 0, 0}},
                                                  std::string(12288, '\0'), "", 12288)));
  std::string expected = old_data + std::string(1000, '\0') + old_data + std::string(3096, '\0');
  ExpectBothAppliersGive(tmp_, tmp_.Join("old.bin"), zeros_patch, expected);
}

TEST_F(PatchApplierTest, EmptyNewFile) {
  const std::string patch = tmp_.Write("p.patch", PackPatch(BuildUnpackedPatch({}, "", "", 0)));
  tmp_.Write("new.out", "stale content");
  uint32_t detail = 1;
  EXPECT_EQ(PatchFileStreamed(tmp_.Write("old.bin", "old"), tmp_.Join("new.out"), patch, detail), 0);
  EXPECT_EQ(detail, 0u);
  EXPECT_EQ(ReadAll(tmp_.Join("new.out")), "");
  testing::internal::CaptureStdout();
  EXPECT_EQ(PatchFileInMemory(tmp_.Join("old.bin"), tmp_.Join("new2.out"), patch), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(std::filesystem::exists(tmp_.Join("new2.out")));
  EXPECT_EQ(ReadAll(tmp_.Join("new2.out")), "");
}

// Mutations of a valid unpacked patch, and what each applier says of them.
struct CorruptCase {
  const char* name;
  std::string file;          // the patch file's bytes
  int32_t streamed;          // PatchFileStreamed's result
  int64_t detail;            // and detail (as signed)
  std::string message;       // PatchFileInMemory's output ({patch} = its path)
};

std::string Packed(const std::string& unpacked) { return PackPatch(unpacked); }

std::string WithByte(std::string bytes, size_t index, char value) {
  bytes[index] = value;
  return bytes;
}

std::vector<CorruptCase> CorruptCases() {
  const std::string old_data = PatternBytes(64, 5);
  const std::string new_data = PatternBytes(48, 6);
  const std::vector<ControlTriple> control = {{32, 16, 0}};
  const std::string good = MakeUnpackedPatch(old_data, new_data, control);  // C 24, D 32, extra 16
  const std::string packed_good = Packed(good);
  const std::string diff32 = good.substr(56, 32);
  const std::string extra16 = good.substr(88, 16);

  std::string packed_too_long = packed_good;  // packed size beyond the file
  packed_too_long[4] = static_cast<char>(packed_too_long[4] + 1);
  std::string raw_too_small = packed_good;  // unpacks to more than the raw size
  raw_too_small[0] = static_cast<char>(raw_too_small[0] - 1);
  std::string raw_too_large = packed_good;  // unpacks to less than the raw size
  raw_too_large[0] = static_cast<char>(raw_too_large[0] + 1);
  std::string bad_zlib = packed_good;
  bad_zlib[8] = 0x00;
  std::string truncated_stream = packed_good.substr(0, packed_good.size() - 3);
  truncated_stream[4] = static_cast<char>(truncated_stream[4] - 3);

  const std::string corrupt = "Corrupt patch\nbapatch failed:";
  return {
      {"empty file", "", -1, kPatchDetailUnreadable, ""},
      {"raw size only", packed_good.substr(0, 4), -1, kPatchDetailUnreadable, ""},
      {"packed size beyond the file", packed_too_long, -1, kPatchDetailUnreadable, ""},
      {"packed bytes are not zlib", bad_zlib, -1, kPatchDetailUnreadable, ""},
      {"zlib stream cut short", truncated_stream, -1, kPatchDetailUnreadable, ""},
      {"unpacks to more than the raw size", raw_too_small, -1, kPatchDetailUnreadable, ""},
      {"unpacks to less than the raw size", raw_too_large, -1, kPatchDetailUnreadable, ""},
      {"raw size beyond any zlib ratio",
       WithByte(WithByte(packed_good, 3, 0x7f), 2, 0x7f), -1, kPatchDetailUnreadable, ""},
      {"unpacked shorter than the header", Packed(good.substr(0, 31)), -2, kPatchDetailBadHeader,
       "fread({patch})"},
      {"wrong magic", Packed(WithByte(good, 7, '1')), -2, kPatchDetailBadHeader, "Corrupt patch\n"},
      {"negative control length", Packed(WithByte(good, 15, '\x80')), -2, kPatchDetailBadHeader,
       "Corrupt patch\n"},
      {"high byte of the new size set", Packed(WithByte(good, 28, 1)), -2, kPatchDetailBadHeader,
       "Corrupt patch\n"},
      {"magnitude with bit 31 set", Packed(WithByte(good, 19, '\x80')), -2, kPatchDetailBadHeader,
       "Corrupt patch\n"},
      {"control block past the end", Packed(WithByte(good, 9, 4)), -8, 0,
       "fseeko(patchfile, 1080)bapatch failed:"},  // 32 + 24 + 1024
      {"diff block past the end", Packed(WithByte(good, 17, 4)), -9, 0,
       "fseeko(patchfile, 1112)bapatch failed:"},  // 32 + 24 + 32 + 1024
      {"control block ends early",
       Packed(BuildUnpackedPatch({{16, 0, 0}}, diff32, extra16, 48)), -12, -1, corrupt},
      {"negative diff run", Packed(BuildUnpackedPatch({{-1, 0, 0}}, diff32, extra16, 48)), -12, -2,
       corrupt},
      {"diff run beyond the new size",
       Packed(BuildUnpackedPatch({{49, 0, 0}}, diff32 + diff32, extra16, 48)), -12, -2, corrupt},
      {"bad high byte in a seek",
       Packed(WithByte(BuildUnpackedPatch({{32, 16, 0}}, diff32, extra16, 48), 32 + 16 + 5, 1)),
       -12, -2, corrupt},
      // The diff block is too short even though the extra block follows it.
      {"diff block shorter than the run",
       Packed(BuildUnpackedPatch({{32, 16, 0}}, diff32.substr(0, 31), extra16 + "x", 48)), -12, -3,
       corrupt},
      {"extra run beyond the new size",
       Packed(BuildUnpackedPatch({{32, 17, 0}}, diff32, extra16 + "x", 48)), -12, -4, corrupt},
      {"negative extra run", Packed(BuildUnpackedPatch({{32, -1, 0}}, diff32, extra16, 48)), -12,
       -2, corrupt},
      {"extra block shorter than the run",
       Packed(BuildUnpackedPatch({{32, 8, 0}, {0, 8, 0}}, diff32 + "d", extra16.substr(0, 15), 48)),
       -12,
       -5, corrupt},
      {"new size beyond the blocks", Packed(BuildUnpackedPatch({{32, 16, 0}}, diff32, extra16, 4800)),
       -12, -1, "Corrupt patch\n"},
  };
}

TEST_F(PatchApplierTest, CorruptPatchesFailWithTheirCodes) {
  const std::string old_path = tmp_.Write("old.bin", PatternBytes(64, 5));
  for (const CorruptCase& c : CorruptCases()) {
    SCOPED_TRACE(c.name);
    const std::string patch = tmp_.Write("case.patch", c.file);
    uint32_t detail = 12345;
    EXPECT_EQ(PatchFileStreamed(old_path, tmp_.Join("streamed.out"), patch, detail), c.streamed);
    EXPECT_EQ(static_cast<int32_t>(detail), c.detail);

    std::filesystem::remove(tmp_.Join("in_memory.out"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(PatchFileInMemory(old_path, tmp_.Join("in_memory.out"), patch), -1);
    std::string expected = c.message;
    if (size_t at = expected.find("{patch}"); at != std::string::npos) {
      expected.replace(at, 7, patch);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    EXPECT_FALSE(std::filesystem::exists(tmp_.Join("in_memory.out")));
  }
}

// A packed patch whose zlib stream is flushed at the start of the diff and
// extra blocks, so the stream can be cut or damaged exactly at a block's
// edge: `cuts` receives the packed offsets (in the file) of those two
// flushes and of the end of the deflate data before its checksum.
std::string PackAtBlockEdges(const std::string& unpacked, size_t diffStart, size_t extraStart,
                             std::vector<size_t>& cuts) {
  z_stream z{};
  EXPECT_EQ(deflateInit(&z, 6), Z_OK);
  std::string packed(compressBound(unpacked.size()) + 64, '\0');
  z.next_out = reinterpret_cast<Bytef*>(packed.data());
  z.avail_out = static_cast<uInt>(packed.size());
  size_t done = 0;
  for (size_t edge : {diffStart, extraStart, unpacked.size()}) {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(unpacked.data() + done));
    z.avail_in = static_cast<uInt>(edge - done);
    EXPECT_EQ(deflate(&z, Z_FULL_FLUSH), Z_OK);
    cuts.push_back(8 + z.total_out);
    done = edge;
  }
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  packed.resize(z.total_out);
  deflateEnd(&z);
  std::string file(8, '\0');
  for (int i = 0; i < 4; ++i) {
    file[i] = static_cast<char>(unpacked.size() >> (8 * i));
    file[4 + i] = static_cast<char>(packed.size() >> (8 * i));
  }
  return file + packed;
}

// The packed file cut to `length` bytes, its packed size saying so.
std::string CutPacked(const std::string& file, size_t length) {
  std::string cut = file.substr(0, length);
  const size_t packed = length - 8;
  for (int i = 0; i < 4; ++i) cut[4 + i] = static_cast<char>(packed >> (8 * i));
  return cut;
}

// The streaming applier unpacks the control block, and one reader passes the
// diff block and then the extra block: a stream that ends or breaks at or
// near either edge, or whose checksum is wrong after every run was written,
// is an unreadable patch (-1) for both appliers, never an applied one.
TEST_F(PatchApplierTest, StreamsCutOrDamagedAtTheBlockEdgesAreUnreadable) {
  const std::string old_data = PatternBytes(300000, 11);
  std::string new_data = old_data.substr(0, 150000) + PatternBytes(40000, 12) + old_data.substr(150000);
  for (size_t at = 0; at < new_data.size(); at += 4099) new_data[at] ^= 0x21;
  // The extra block ends with bytes no run uses; damage there still counts.
  const std::vector<ControlTriple> control = {{150000, 40000, 0}, {150000, 0, 0}};
  std::string unpacked = MakeUnpackedPatch(old_data, new_data, control);
  unpacked += "unused tail of the extra block";
  const size_t diff_start = 32 + 2 * 24;
  const size_t extra_start = diff_start + 300000;
  std::vector<size_t> edges;
  const std::string good = PackAtBlockEdges(unpacked, diff_start, extra_start, edges);
  ASSERT_EQ(edges.size(), 3u);
  const std::string old_path = tmp_.Write("old.bin", old_data);
  ExpectBothAppliersGive(tmp_, old_path, tmp_.Write("good.patch", good), new_data);

  const auto flipped = [&good](size_t at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x40);
    return bad;
  };
  const struct {
    const char* name;
    std::string file;
  } cases[] = {
      {"cut where the diff block starts", CutPacked(good, edges[0])},
      {"cut where the extra block starts", CutPacked(good, edges[1])},
      {"cut one byte into the extra block", CutPacked(good, edges[1] + 1)},
      {"cut before the checksum", CutPacked(good, edges[2])},
      {"damaged just after the diff block starts", flipped(edges[0] + 2)},
      {"damaged in the middle of the diff block", flipped((edges[0] + edges[1]) / 2)},
      {"damaged just after the extra block starts", flipped(edges[1] + 2)},
      {"damaged at the end of the extra block", flipped(edges[2] - 3)},
      {"damaged checksum", flipped(good.size() - 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string patch = tmp_.Write("case.patch", c.file);
    uint32_t detail = 0;
    EXPECT_EQ(PatchFileStreamed(old_path, tmp_.Join("streamed.out"), patch, detail), -1);
    EXPECT_EQ(detail, kPatchDetailUnreadable);
    testing::internal::CaptureStdout();
    EXPECT_EQ(PatchFileInMemory(old_path, tmp_.Join("in_memory.out"), patch), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(std::filesystem::exists(tmp_.Join("in_memory.out")));
  }
}

// The streaming applier's second pass writes the extra runs of the triples
// its first pass accepted: a triple that stops the first pass still leaves
// the earlier triples' extra runs written, as a single pass would.
TEST_F(PatchApplierTest, AStopLeavesTheEarlierTriplesExtraRunsWritten) {
  const std::string old_data = PatternBytes(4096, 13);
  const std::string new_data = PatternBytes(3000, 14);
  // Triple two's diff run asks for more diff bytes than the block holds.
  std::string unpacked = MakeUnpackedPatch(old_data, new_data, {{1000, 500, 0}, {1500, 0, 0}});
  const std::string diff = unpacked.substr(32 + 48, 2500);
  const std::string extra = unpacked.substr(32 + 48 + 2500, 500);
  const std::string patch = tmp_.Write(
      "p.patch", PackPatch(BuildUnpackedPatch({{1000, 500, 0}, {1500, 0, 0}}, diff.substr(0, 2000),
                                              extra, 3000)));
  uint32_t detail = 0;
  EXPECT_EQ(PatchFileStreamed(tmp_.Write("old.bin", old_data), tmp_.Join("new.out"), patch, detail),
            -12);
  EXPECT_EQ(static_cast<int32_t>(detail), -3);
  EXPECT_EQ(ReadAll(tmp_.Join("new.out")).substr(0, 1500), new_data.substr(0, 1500));
}

TEST_F(PatchApplierTest, MissingFiles) {
  const std::string old_path = tmp_.Write("old.bin", PatternBytes(64, 5));
  const std::string patch = tmp_.Write(
      "p.patch", PackPatch(MakeUnpackedPatch(PatternBytes(64, 5), PatternBytes(48, 6), {{32, 16, 0}})));
  uint32_t detail = 0;
  EXPECT_EQ(PatchFileStreamed(old_path, tmp_.Join("n"), tmp_.Join("none.patch"), detail), -1);
  EXPECT_EQ(detail, static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(PatchFileStreamed(tmp_.Join("none.bin"), tmp_.Join("n"), patch, detail), -3);
  EXPECT_EQ(detail, static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(PatchFileStreamed(old_path, tmp_.Join("no/folder/n"), patch, detail), -4);
  EXPECT_EQ(detail, static_cast<uint32_t>(ENOENT));

  testing::internal::CaptureStdout();
  EXPECT_EQ(PatchFileInMemory(tmp_.Join("none.bin"), tmp_.Join("n"), patch), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "old file: " + tmp_.Join("none.bin"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(PatchFileInMemory(old_path, tmp_.Join("no/folder/n"), patch), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "failed to write new file: " + tmp_.Join("no/folder/n"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(PatchFileInMemory(old_path, tmp_.Join("n"), tmp_.Join("none.patch")), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(PatchApplierTest, StreamedApplierChecksItsOwnArguments) {
  const std::string good =
      MakeUnpackedPatch(PatternBytes(64, 5), PatternBytes(48, 6), {{32, 16, 0}});
  const int old_file = open(tmp_.Write("old.bin", PatternBytes(64, 5)).c_str(), O_RDONLY);
  const int new_file = open(tmp_.Join("new.out").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(old_file, 0);
  ASSERT_GE(new_file, 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(good.data());
  int32_t detail = 1;
  EXPECT_EQ(ApplyPatchStreamed(old_file, 64, new_file, 47, bytes, good.size(), detail), -6);
  EXPECT_EQ(ApplyPatchStreamed(old_file, 64, new_file, 48, bytes, 31, detail), -6);
  EXPECT_EQ(ApplyPatchStreamed(old_file, 64, new_file, 48, bytes, good.size(), detail), 0);
  EXPECT_EQ(detail, 0);
  close(old_file);
  close(new_file);
  EXPECT_EQ(ReadAll(tmp_.Join("new.out")), PatternBytes(48, 6));

  testing::internal::CaptureStdout();
  std::string out(48, '\0');
  EXPECT_EQ(ApplyPatchInMemory(reinterpret_cast<const uint8_t*>(PatternBytes(64, 5).data()), 64,
                               reinterpret_cast<uint8_t*>(out.data()), 47, bytes, good.size()),
            -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Corrupt param of newsize\n");
}

// One pair of files over 100 MiB serves both the round trip and the exit
// request in the middle of a diff run longer than one 50 MiB chunk.
TEST_F(PatchApplierTest, FileOverOneHundredMiBAndTheExitRequestInALongRun) {
  std::string expected;
  std::string patch_path;
  const std::string old_path = tmp_.Join("old.bin");
  {
    std::string old_data = PatternBytes(static_cast<size_t>(105 * kMiB), 7);
    // New: old bytes with a change every 7 MiB, 1 MiB inserted at 60 MiB and
    // half a MiB of the old file left out at 89 MiB.
    expected.reserve(static_cast<size_t>(106 * kMiB));
    expected.append(old_data, 0, static_cast<size_t>(60 * kMiB));
    expected += PatternBytes(static_cast<size_t>(kMiB), 8);
    expected.append(old_data, static_cast<size_t>(60 * kMiB), static_cast<size_t>(29 * kMiB));
    expected.append(old_data, static_cast<size_t>(89 * kMiB + kMiB / 2), std::string::npos);
    for (int64_t at = 0; at < 105 * kMiB; at += 7 * kMiB) expected[at] ^= 0x5a;
    const std::vector<ControlTriple> control = {
        {60 * kMiB, kMiB, 0},
        {29 * kMiB, 0, kMiB / 2},
        {15 * kMiB + kMiB / 2, 0, 0},
    };
    patch_path = tmp_.Write("large.patch", PackPatch(MakeUnpackedPatch(old_data, expected, control)));
    tmp_.Write("old.bin", old_data);
  }
  ASSERT_GT(expected.size(), static_cast<size_t>(100 * kMiB));
  ExpectBothAppliersGive(tmp_, old_path, patch_path, expected);
  expected.clear();
  expected.shrink_to_fit();

  std::vector<int64_t> chunk_ends;
  SetPatchChunkObserverForTesting([&](int64_t new_pos) {
    chunk_ends.push_back(new_pos);
    SetExitRequested(true);  // the user exits while the first chunk is written
  });
  uint32_t detail = 0;
  EXPECT_EQ(PatchFileStreamed(old_path, tmp_.Join("new.out"), patch_path, detail), -12);
  EXPECT_EQ(static_cast<int32_t>(detail), -3);
  ASSERT_EQ(chunk_ends.size(), 1u);  // no chunk after the request
  EXPECT_EQ(chunk_ends[0], static_cast<int64_t>(PatchStream::kChunkBytes));
  EXPECT_EQ(std::filesystem::file_size(tmp_.Join("new.out")), PatchStream::kChunkBytes);
}

TEST_F(PatchApplierTest, ExitRequestEndsTheLoopAfterTheTriple) {
  const std::string old_data = PatternBytes(8192, 9);
  const std::string new_data = PatternBytes(8192, 10);
  const std::string patch = tmp_.Write(
      "p.patch", PackPatch(MakeUnpackedPatch(old_data, new_data, {{1024, 1024, 0}, {6144, 0, 0}})));
  int chunks = 0;
  SetPatchChunkObserverForTesting([&](int64_t) {
    ++chunks;
    SetExitRequested(true);
  });
  uint32_t detail = 0;
  EXPECT_EQ(PatchFileStreamed(tmp_.Write("old.bin", old_data), tmp_.Join("new.out"), patch, detail),
            -12);
  EXPECT_EQ(static_cast<int32_t>(detail), -6);
  EXPECT_EQ(chunks, 2);  // the diff run and the extra run of the first triple
  EXPECT_EQ(ReadAll(tmp_.Join("new.out")), new_data.substr(0, 2048));
}

}  // namespace
