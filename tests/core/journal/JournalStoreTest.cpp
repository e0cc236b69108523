#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/journal/JournalStore.h"
#include "core/journal/postgres/PostgresOpen.h"
#include "core/journal/JournalSchema.h"
#include "core/journal/JournalTime.h"
#include "support/JournalRecords.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

JournalRecord record(const std::string& time, const std::string& port, const std::string& operation, bool passed,
                     const std::string& model = "", std::optional<std::int64_t> checksum = std::nullopt) {
  JournalRecord r;
  r.time = time;
  r.port = port;
  r.operation = operation;
  r.passed = passed;
  r.model = model;
  r.fileChecksum = checksum;
  r.log = {"first line", "second, \"quoted\" line"};
  return r;
}

class JournalTest : public ::testing::Test {
 public:
  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::unique_ptr<JournalStore> open(JournalAccess access = JournalAccess::Append) {
    JournalOpen opened = openJournalStore(path, access);
    EXPECT_EQ(opened.error, "");
    return std::move(opened.store);
  }
  std::vector<JournalRecord> all() {
    std::vector<JournalRecord> records;
    EXPECT_EQ(open(JournalAccess::Read)->query({}, records), "");
    return records;
  }
  void writeText(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  void runSql(const std::string& sql) {
    sqlite::Connection db;
    ASSERT_EQ(db.open(path, sqlite::Connection::Mode::ReadWriteCreate), "");
    ASSERT_EQ(db.exec(sql), "");
  }
  int version() {
    sqlite::Connection db;
    EXPECT_EQ(db.open(path, sqlite::Connection::Mode::ReadOnly), "");
    return journalSchemaVersion(db);
  }

  fs::path dir = test::uniqueTempDir("journal");
  std::string path = (dir / "journal.sqlite").string();
};

// The first schema as shipped: files of this shape are in the field and must keep working.
constexpr const char* kVersion1 =
    "CREATE TABLE record (id INTEGER PRIMARY KEY, time TEXT NOT NULL, duration_ms INTEGER NOT NULL,"
    " host TEXT NOT NULL, operation TEXT NOT NULL, port TEXT NOT NULL, passed INTEGER NOT NULL, result_code INTEGER,"
    " programmer_uid TEXT NOT NULL, firmware_version TEXT NOT NULL, file TEXT NOT NULL, model TEXT NOT NULL,"
    " code_crc INTEGER, file_checksum INTEGER, program_limit INTEGER, download_limit INTEGER,"
    " rolling_code TEXT NOT NULL, counters_total INTEGER, counters_successes INTEGER, log TEXT NOT NULL);"
    "CREATE INDEX record_time ON record(time);"
    "INSERT INTO record VALUES (1, '2024-05-01T08:00:00.000Z', 812, 'line1', 'download', 'COM3', 1, NULL,"
    " '4B5439300005202400000001', 'KT90DB V5.2', 'C:\\a.vk', 'VK1620', 40746, 35826, 0, 0, '12345678', NULL, NULL,"
    " 'a\nb');"
    "PRAGMA user_version = 1;";

TEST_F(JournalTest, AppendingTakesEveryStartingFileUpToDateOrLeavesItAlone) {
  struct Case {
    const char* name;
    std::function<void(JournalTest&)> prepare;
    bool stored;
    int recordsAfter;
    int versionAfter;
  };
  const Case cases[] = {
      {"no file", [](JournalTest&) {}, true, 1, kJournalSchemaVersion},
      {"empty file", [](JournalTest& t) { t.writeText(""); }, true, 1, kJournalSchemaVersion},
      {"version 1 with a record", [](JournalTest& t) { t.runSql(kVersion1); }, true, 2, kJournalSchemaVersion},
      {"newer schema", [](JournalTest& t) { t.runSql("CREATE TABLE x(a); PRAGMA user_version = 99;"); }, false, 0, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.prepare(*this);
    const JournalAppend stored = open()->append(record("2024-05-02T00:00:00.000Z", "COM4", "stats", true));
    EXPECT_EQ(stored.stored(), c.stored) << stored.error;
    EXPECT_EQ(version(), c.versionAfter);
    if (c.stored) {
      const auto records = all();
      ASSERT_EQ(records.size(), static_cast<std::size_t>(c.recordsAfter));
      EXPECT_EQ(records.back().log, record("", "", "", true).log);
      if (c.recordsAfter == 2) {
        EXPECT_EQ(records[0].model, "VK1620");
        EXPECT_EQ(records[0].fileChecksum, 35826);
        EXPECT_EQ(records[0].log, (std::vector<std::string>{"a", "b"}));
      }
    }
  }
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenSaysSoEveryTimeAndLeavesTheFileAlone) {
  writeText("not a database, but somebody's notes");
  const auto journal = open();
  for (int i = 0; i < 2; ++i) {
    const JournalAppend lost = journal->append(record("2024-05-02T00:00:00.000Z", "COM4", "stats", true));
    EXPECT_FALSE(lost.stored());
    EXPECT_NE(lost.error.find(path), std::string::npos) << lost.error;
  }
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a database, but somebody's notes");
}

TEST_F(JournalTest, ALocationThatHoldsNoJournalIsRefusedNotStartedSilently) {
  std::ofstream(dir / "plain-file") << "x";
  struct Case {
    std::string location;
    JournalAccess access;
    const char* says;  // in the reason, from opening or else from the first query
  };
  const Case cases[] = {
      {(dir / "no-such-folder" / "journal.sqlite").string(), JournalAccess::Append, "does not exist"},
      {(dir / "plain-file" / "journal.sqlite").string(), JournalAccess::Append, "does not exist"},
      {(dir / "missing.sqlite").string(), JournalAccess::Read, "no journal here"},
      // A server that cannot be found: the reason names it (libpq's words follow); a build
      // without libpq says that instead.
      {"postgresql://line@db.example/journal", JournalAccess::Read,
       journalServerSupported() ? "postgresql://line@db.example/journal: " : "without PostgreSQL support"},
      {"postgres://line@db.example/journal", JournalAccess::Append,
       journalServerSupported() ? "postgres://line@db.example/journal: " : "without PostgreSQL support"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    JournalOpen opened = openJournalStore(c.location, c.access);
    std::string reason = opened.error;
    std::vector<JournalRecord> records;
    if (opened.store) reason = opened.store->query({}, records);
    EXPECT_NE(reason.find(c.says), std::string::npos) << reason;
  }
  EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST_F(JournalTest, EveryFieldComesBackAsWritten) {
  JournalRecord whole = test::everyFieldSet();
  whole.id = open()->append(whole).id;
  EXPECT_EQ(all(), std::vector<JournalRecord>{whole});
}

TEST_F(JournalTest, FiltersAndSummarySelectTheRecords) {
  const auto journal = open();
  for (const JournalRecord& r : {record("2024-05-01T07:59:59.999Z", "COM3", "download", true, "VK1620", 0x8BF2),
                                 record("2024-05-01T08:00:00.000Z", "COM3", "download", false, "VK1620", 0x8BF2),
                                 record("2024-05-01T09:00:00.000Z", "COM4", "download", true, "VK1620", 0x1111),
                                 record("2024-05-02T00:00:00.000Z", "COM4", "stats", true),
                                 record("2024-05-02T10:00:00.000Z", "COM3", "download", true, "QD46K300T1", 0x8BF2)}) {
    ASSERT_TRUE(journal->append(r).stored());
  }
  struct Case {
    JournalFilter filter;
    std::vector<std::string> times;  // the hours of the records, oldest first
  };
  const Case cases[] = {
      {{}, {"07", "08", "09", "00", "10"}},
      {{"2024-05-01T08:00:00.000Z", "", "", "", {}, 0}, {"08", "09", "00", "10"}},
      {{"", "2024-05-02T00:00:00.000Z", "", "", {}, 0}, {"07", "08", "09"}},
      {{"", "", "COM4", "", {}, 0}, {"09", "00"}},
      {{"", "", "", "stats", {}, 0}, {"00"}},
      {{"", "", "", "", false, 0}, {"08"}},
      {{"", "", "COM3", "download", true, 0}, {"07", "10"}},
      {{"", "", "", "", {}, 2}, {"00", "10"}},
  };
  for (const Case& c : cases) {
    std::vector<JournalRecord> records;
    ASSERT_EQ(journal->query(c.filter, records), "");
    std::vector<std::string> hours;
    for (const JournalRecord& r : records) hours.push_back(r.time.substr(11, 2));
    EXPECT_EQ(hours, c.times) << c.filter.since << c.filter.until << c.filter.port << c.filter.operation;
  }

  std::vector<JournalSummaryRow> rows;
  ASSERT_EQ(journal->summarise({}, rows), "");
  ASSERT_EQ(rows.size(), 3u);  // the stats record names no program
  EXPECT_EQ(rows[0].model, "QD46K300T1");
  EXPECT_EQ(rows[1].fileChecksum, 0x1111);
  EXPECT_EQ(rows[2].operations, 2);
  EXPECT_EQ(rows[2].failed, 1);
  EXPECT_DOUBLE_EQ(rows[2].yieldPercent, 50.0);
}

TEST(JournalTime, CommandLineTimesBecomeTheJournalsForm) {
  const std::pair<const char*, const char*> cases[] = {
      {"2024-05-01", "2024-05-01T00:00:00.000Z"},
      {"2024-05-01T08:30", "2024-05-01T08:30:00.000Z"},
      {"2024-05-01 08:30:15.5Z", "2024-05-01T08:30:15.500Z"},
      {"2024-05-01T08:30:15+08:00", "2024-05-01T00:30:15.000Z"},
      {"2024-03-01T01:00:00+0200", "2024-02-29T23:00:00.000Z"},
      {"2024-05-01T08:30:15+08", "2024-05-01T00:30:15.000Z"},
      {"2024-05-01T08:30-03", "2024-05-01T11:30:00.000Z"},
      {"2024-05-01T08:30+08:", ""},
      {"2024-05-01T08:30+8", ""},
      {"2024-05-01T08:30:15.125-05:30", "2024-05-01T14:00:15.125Z"},
      {"2024-02-30", ""},
      {"2024-05-01T24:00", ""},
      {"2024-05-01T08", ""},
      {"yesterday", ""},
      {"2024-05-01Zx", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(canonicalJournalTime(in).value_or(""), out) << in;
  EXPECT_EQ(journalTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(1714552200125))),
            "2024-05-01T08:30:00.125Z");
}

}  // namespace
}  // namespace kt90
