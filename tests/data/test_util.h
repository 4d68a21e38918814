// Shared fixtures of the data layer tests: a temporary folder and the SQLite driver path.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "sql3_defs.h"

namespace kalmetra_test {

// The folder of the running test program; the build copies the SQLite library there.
inline std::filesystem::path ProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

// Always the copy beside the test program, never the system's library.
inline std::string DriverPath() { return (ProgramFolder() / KALMETRA_SQLITE_LIBNAME).string(); }

// The text of the database error the action raises, or "<no error>".
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const orvek3::DatabaseError& e) {
    return e.what();
  }
  return "<no error>";
}

// A fresh folder for each test, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalmetra-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string WriteFile(const std::string& name, const std::string& content) const {
    const std::string file = File(name);
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

 private:
  std::filesystem::path path_;
};

// A connection named as in the main window, on a database file in a temporary folder.
class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.SetName("Orvek3Database1");
    db.SetDriver(DriverPath());
    db.SetDatabaseFile(folder.File("test.sqlite"));
    db.SetMustExists(false);
  }

  // Handlers capture the test's locals, which are gone when the connection is destroyed.
  void TearDown() override {
    db.BeforeConnect = db.AfterConnect = db.BeforeDisconnect = db.AfterDisconnect = nullptr;
  }

  // The text of the first column of the first row of a query.
  std::string Scalar(const std::string& sql, const orvek3::TParams* params = nullptr) {
    int columns = 0;
    sqlite3_stmt* stmt = db.PrepareStatement(sql, params, columns);
    std::string value;
    if (const unsigned char* text = db.StmtColumnText(stmt, 0)) value = reinterpret_cast<const char*>(text);
    db.FinalizeStatement(stmt);
    return value;
  }

  // Every row's first column, in result order.
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    int columns = 0;
    sqlite3_stmt* stmt = db.PrepareStatement(sql, nullptr, columns);
    while (db.LastResult() == SQLITE_ROW) {
      const unsigned char* text = db.StmtColumnText(stmt, 0);
      values.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
      db.StepStatement(stmt);
    }
    db.FinalizeStatement(stmt);
    return values;
  }

  TempFolder folder;
  orvek3::TOrvek3Database db;
};

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_.c_str(), old_.c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

// Runs with the collation locale taken from the given LC_ALL, restoring the old one after.
class ScopedCollationLocale {
 public:
  explicit ScopedCollationLocale(const char* lcAll) : env_("LC_ALL", lcAll) { orvek3::ResetCollationLocale(); }
  ScopedCollationLocale(const ScopedCollationLocale&) = delete;
  ScopedCollationLocale& operator=(const ScopedCollationLocale&) = delete;

 private:
  struct Reset {
    ~Reset() { orvek3::ResetCollationLocale(); }
  };
  Reset reset_;     // destroyed after env_, so it reads the restored environment
  ScopedEnv env_;
};

}  // namespace kalmetra_test
