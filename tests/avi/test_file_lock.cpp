// Whether a movie target is in use: locks held by another process or another open of the file,
// and files that cannot be written.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/file_helpers.h"
#include "tests/avi/avi_test_support.h"

namespace lumetrix::avi {
namespace {

TEST(FileLock, LocksOfAnyKindAreSeenAndGoWithTheirHolder) {
  test::TempFolder folder;
  const std::string path = folder.File("held.avi");
  test::WriteBytes(path, {1, 2, 3});
  for (const std::string& nothing : {std::string(), folder.File("none.avi"), folder.path().string()})
    EXPECT_FALSE(IsFileLocked(nothing)) << nothing;
  EXPECT_FALSE(IsFileLocked(path));
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(IsFileLocked(path)) << "merely open elsewhere is not in use";
  // A record lock of another process, held while the child waits for the pipe to close.
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready) | ::pipe(release), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    ::close(ready[0]), ::close(release[1]);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    char answer = ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
    if (::write(ready[1], &answer, 1) != 1 || ::read(release[0], &answer, 1) < 0) _exit(2);
    _exit(0);
  }
  ::close(ready[1]), ::close(release[0]);
  char answer = 'n';
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  EXPECT_EQ(answer, 'y');
  EXPECT_TRUE(IsFileLocked(path));
  ::close(release[1]);
  ::waitpid(holder, nullptr, 0);
  EXPECT_FALSE(IsFileLocked(path));
  // An open-file-description record lock and a flock lock, both through another open of the file.
  struct flock lock {};
  lock.l_type = F_WRLCK;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
  EXPECT_TRUE(IsFileLocked(path));
  lock.l_type = F_UNLCK;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
  ASSERT_EQ(::flock(fd, LOCK_SH), 0);
  EXPECT_TRUE(IsFileLocked(path));
  ::flock(fd, LOCK_UN);
  EXPECT_FALSE(IsFileLocked(path));
  ::close(fd);
}

// A file that cannot be opened for writing: read-only (for anyone but root), or a running program.
TEST(FileLock, AFileThatCannotBeWrittenIsLocked) {
  test::TempFolder folder;
  test::WriteBytes(folder.File("readonly.avi"), {1, 2, 3});
  ASSERT_EQ(::chmod(folder.File("readonly.avi").c_str(), 0444), 0);
  if (::geteuid() != 0) {
    EXPECT_TRUE(IsFileLocked(folder.File("readonly.avi")));
  }
  EXPECT_TRUE(IsFileLocked("/proc/self/exe"));
}

}  // namespace
}  // namespace lumetrix::avi
