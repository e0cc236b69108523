#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace kt90::test {

// The test server's URI (KT90_TEST_POSTGRES, from scripts/pg-server.sh), or empty.
inline std::string postgresServer() {
  const char* uri = std::getenv("KT90_TEST_POSTGRES");
  return uri ? uri : "";
}

// The server's URI with a schema of this test alone first in the search path, so tests
// running at once on one server each find an empty database. Empty when psql fails.
inline std::string freshPostgresSchema(const std::string& server) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string schema = ("t" + std::to_string(::getpid()) + "_" + info->name()).substr(0, 60);
  std::transform(schema.begin(), schema.end(), schema.begin(),
                 [](unsigned char c) { return std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '_'; });
  const std::string command = "psql -q '" + server + "' -c 'SET client_min_messages = warning; DROP SCHEMA IF EXISTS " +
                              schema + " CASCADE; CREATE SCHEMA " + schema + "'";
  if (std::system(command.c_str()) != 0) return {};
  return server + (server.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

// A test against the server in a schema of its own; skipped where no server was started.
class PostgresSchemaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string server = postgresServer();
    if (server.empty()) GTEST_SKIP() << "no test server (KT90_TEST_POSTGRES)";
    uri = freshPostgresSchema(server);
    ASSERT_FALSE(uri.empty());
  }
  std::string uri;
};

}  // namespace kt90::test
