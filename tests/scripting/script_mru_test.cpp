#include "scripting/script_mru.h"

#include <gtest/gtest.h>

#include "tests/scripting/temp_settings.h"

namespace lumetrix::scripting {
namespace {

std::vector<QString> Names(const ScriptMru& mru) { return {mru.Entries().begin(), mru.Entries().end()}; }

TEST(ScriptMru, NewPathsFillTheFirstEmptyEntryAndKnownOnesMoveToTheFront) {
  ScriptMru mru;
  for (const char* p : {"", "A", "B", "B"}) mru.Add(QString::fromLatin1(p));  // an empty path is ignored
  EXPECT_EQ(Names(mru), (std::vector<QString>{"B", "A", "", "", "", ""}));
  mru.SetEntry(3, "D");
  mru.Add("/s/c.scp");
  mru.Add("/s/C.scp");  // compared exactly
  EXPECT_EQ(Names(mru), (std::vector<QString>{"B", "A", "/s/c.scp", "D", "/s/C.scp", ""}));
  mru.Add("F");
  mru.Add("D");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"D", "B", "A", "/s/c.scp", "/s/C.scp", "F"}));
  mru.Add("G");  // full: to the front, the last drops out
  EXPECT_EQ(Names(mru), (std::vector<QString>{"G", "D", "B", "A", "/s/c.scp", "/s/C.scp"}));
}

TEST(ScriptMru, SavedAsFile0ToFile5AndGarbageLoadsAsEmpty) {
  testing::TempSettings settings;
  ScriptMru mru;
  for (const char* p : {"A", "B", "C", "D", "E", "F"}) mru.Add(QString::fromLatin1(p));
  mru.Save(*settings.Open());
  EXPECT_EQ(settings.Get("Settings", "File5").toString(), "F");
  ScriptMru loaded;
  loaded.Load(*settings.Open());
  EXPECT_EQ(Names(loaded), Names(mru));
  settings.Put("Settings", "File0", QString(5000, QLatin1Char('x')));
  settings.Put("Settings", "File1", QStringLiteral("bad\nname"));
  settings.Put("Settings", "File2", QStringList{"a", "b"});
  settings.Put("Settings", "File3", QStringLiteral("/ok/path with blanks.scp"));
  loaded.Load(*settings.Open());
  EXPECT_EQ(Names(loaded), (std::vector<QString>{"", "", "", "/ok/path with blanks.scp", "E", "F"}));
}

}  // namespace
}  // namespace lumetrix::scripting
