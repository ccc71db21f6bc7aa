// Whether a movie target is in use: locks held by another process or another open of the file.

#include <cstdlib>
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

using test::TempFolder;

// Runs `lock` in a child process that keeps the lock until the test is done with it.
class LockingChild {
 public:
  LockingChild(const std::string& path, bool useFlock) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = ::open(path.c_str(), O_RDWR);
      bool ok = fd >= 0;
      if (ok && useFlock) ok = ::flock(fd, LOCK_EX) == 0;
      if (ok && !useFlock) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ok = ::fcntl(fd, F_SETLK, &lock) == 0;
      }
      const char answer = ok ? 'y' : 'n';
      if (::write(ready[1], &answer, 1) != 1) _exit(2);
      char ignored;
      if (::read(release[0], &ignored, 1) < 0) _exit(3);
      _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char answer = 'n';
    locked_ = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]);
  }
  ~LockingChild() {
    if (release_ >= 0) ::close(release_);  // the child's read returns, it exits, its lock goes
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool Locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool locked_ = false;
};

TEST(FileLock, MissingFilesAndFoldersAreNotLocked) {
  TempFolder folder;
  EXPECT_FALSE(IsFileLocked(folder.File("none.avi")));
  EXPECT_FALSE(IsFileLocked(folder.Path().string()));
  EXPECT_FALSE(IsFileLocked(""));
}

TEST(FileLock, AFreeFileIsNotLocked) {
  TempFolder folder;
  test::WriteFileBytes(folder.File("free.avi"), {1, 2, 3});
  EXPECT_FALSE(IsFileLocked(folder.File("free.avi")));
  // Merely open elsewhere, without a lock, is not in use.
  const int fd = ::open(folder.File("free.avi").c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(IsFileLocked(folder.File("free.avi")));
  ::close(fd);
}

TEST(FileLock, RecordLockOfAnotherProcessIsSeen) {
  TempFolder folder;
  const std::string path = folder.File("held.avi");
  test::WriteFileBytes(path, {1, 2, 3});
  {
    LockingChild child(path, false);
    ASSERT_TRUE(child.Locked());
    EXPECT_TRUE(IsFileLocked(path));
  }
  EXPECT_FALSE(IsFileLocked(path));
}

TEST(FileLock, FlockOfAnotherProcessIsSeen) {
  TempFolder folder;
  const std::string path = folder.File("held.avi");
  test::WriteFileBytes(path, {1, 2, 3});
  {
    LockingChild child(path, true);
    ASSERT_TRUE(child.Locked());
    EXPECT_TRUE(IsFileLocked(path));
  }
  EXPECT_FALSE(IsFileLocked(path));
}

TEST(FileLock, FlockThroughASecondOpenFileDescriptionIsSeen) {
  TempFolder folder;
  const std::string path = folder.File("held.avi");
  test::WriteFileBytes(path, {1, 2, 3});
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_SH), 0);
  EXPECT_TRUE(IsFileLocked(path));
  ::flock(fd, LOCK_UN);
  EXPECT_FALSE(IsFileLocked(path));
  ::close(fd);
}

TEST(FileLock, OpenFileDescriptionRecordLockIsSeen) {
  TempFolder folder;
  const std::string path = folder.File("held.avi");
  test::WriteFileBytes(path, {1, 2, 3});
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
  EXPECT_TRUE(IsFileLocked(path));
  ::close(fd);
  EXPECT_FALSE(IsFileLocked(path));
}

TEST(FileLock, AFileThatCannotBeWrittenIsLocked) {
  TempFolder folder;
  const std::string path = folder.File("readonly.avi");
  test::WriteFileBytes(path, {1, 2, 3});
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  if (::geteuid() != 0) {
    EXPECT_TRUE(IsFileLocked(path));
    return;
  }
  // Root may write anything: ask as an ordinary user, in a child process, about a file in a
  // folder that user can reach (the test's own temporary folder may sit below private ones).
  char shared[] = "/tmp/lumetrix-lock-XXXXXX";
  ASSERT_NE(::mkdtemp(shared), nullptr);
  const std::string shared_path = std::string(shared) + "/readonly.avi";
  test::WriteFileBytes(shared_path, {1, 2, 3});
  ASSERT_EQ(::chmod(shared_path.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(shared, 0755), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(2);
    if (::access(shared_path.c_str(), R_OK) != 0) _exit(3);
    _exit(IsFileLocked(shared_path) ? 0 : 1);
  }
  int status = 0;
  const pid_t waited = ::waitpid(child, &status, 0);
  ::unlink(shared_path.c_str());
  ::rmdir(shared);
  ASSERT_EQ(waited, child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot become an ordinary user here";
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "an ordinary user cannot reach /tmp here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace lumetrix::avi
