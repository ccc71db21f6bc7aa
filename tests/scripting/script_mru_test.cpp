#include "scripting/script_mru.h"

#include <gtest/gtest.h>

#include <QSettings>

#include "tests/scripting/temp_settings.h"

namespace lumetrix::scripting {
namespace {

std::vector<QString> Names(const ScriptMru& mru) { return {mru.Entries().begin(), mru.Entries().end()}; }

ScriptMru Full() {
  ScriptMru mru;
  for (const char* p : {"A", "B", "C", "D", "E", "F"}) mru.Add(QString::fromLatin1(p));
  return mru;
}

TEST(ScriptMru, NewPathsFillTheFirstEmptyEntry) {
  ScriptMru mru;
  mru.Add("A");
  mru.Add("B");
  mru.Add("C");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"A", "B", "C", "", "", ""}));
}

TEST(ScriptMru, AKnownPathMovesToTheFront) {
  ScriptMru mru = Full();
  mru.Add("A");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"A", "B", "C", "D", "E", "F"}));
  mru.Add("D");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"D", "A", "B", "C", "E", "F"}));
}

TEST(ScriptMru, WhenFullANewPathGoesToTheFrontAndTheLastDropsOut) {
  ScriptMru mru = Full();
  mru.Add("D");
  mru.Add("G");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"G", "D", "A", "B", "C", "E"}));
}

TEST(ScriptMru, AKnownPathInAPartlyFilledListMovesToTheFront) {
  ScriptMru mru;
  mru.Add("A");
  mru.Add("B");
  mru.Add("B");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"B", "A", "", "", "", ""}));
}

TEST(ScriptMru, AnEmptyEntryBetweenOthersIsFilledFirst) {
  ScriptMru mru;
  mru.SetEntry(0, "A");
  mru.SetEntry(2, "C");
  mru.Add("N");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"A", "N", "C", "", "", ""}));
}

TEST(ScriptMru, EmptyPathIsIgnoredAndComparisonIsExact) {
  ScriptMru mru;
  mru.Add("");
  mru.Add("/s/a.scp");
  mru.Add("/s/A.scp");
  EXPECT_EQ(Names(mru), (std::vector<QString>{"/s/a.scp", "/s/A.scp", "", "", "", ""}));
}

TEST(ScriptMru, SavesAndLoadsFile0ToFile5) {
  testing::TempSettings settings;
  ScriptMru mru = Full();
  {
    auto s = settings.Open();
    mru.Save(*s);
  }
  EXPECT_EQ(settings.Get("Settings", "File0").toString(), "A");
  EXPECT_EQ(settings.Get("Settings", "File5").toString(), "F");
  ScriptMru loaded;
  auto s = settings.Open();
  loaded.Load(*s);
  EXPECT_EQ(Names(loaded), Names(mru));
}

TEST(ScriptMru, GarbageEntriesLoadAsEmpty) {
  testing::TempSettings settings;
  settings.Put("Settings", "File0", QString(5000, QLatin1Char('x')));
  settings.Put("Settings", "File1", QStringLiteral("bad\nname"));
  settings.Put("Settings", "File2", QStringList{"a", "b"});
  settings.Put("Settings", "File3", QStringLiteral("/ok/path with blanks.scp"));
  ScriptMru loaded;
  auto s = settings.Open();
  loaded.Load(*s);
  EXPECT_EQ(Names(loaded), (std::vector<QString>{"", "", "", "/ok/path with blanks.scp", "", ""}));
}

}  // namespace
}  // namespace lumetrix::scripting
