// One running window per user. The running program holds a lock file in the
// user's private runtime folder from start to end, and listens on a local
// channel there; a later start finds the lock taken, sends the request to
// come to the front over the channel and ends.
//
// Taking the lock is one atomic step, so of two programs started at the same
// moment exactly one runs. A lock left by a killed program is taken over: its
// process no longer exists.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <string_view>

namespace velk {

// The user's private runtime folder ($XDG_RUNTIME_DIR, or a per-user folder
// of mode 0700 under the temporary folder).
QString RuntimeFolder();

class SingleInstance {
 public:
  explicit SingleInstance(const QString& runtime_folder);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock at once; false when another program holds it.
  bool Acquire();
  // For the program that holds the lock: answers each request on the channel
  // with what hook returns for it. Returns false when it cannot listen.
  bool Listen(std::function<bool(std::string_view)> hook);
  // Closes the channel: later starts no longer reach this program.
  void StopListening() { server_.reset(); }
  // For a later start: sends message to the running program and waits for its
  // answer, retrying the connection while the running program is still
  // starting. Returns true iff it answered that it handled the message;
  // gives up after timeout_ms.
  bool Send(std::string_view message, int timeout_ms = 5000) const;

  QString LockPath() const { return lock_path_; }
  QString ChannelPath() const { return channel_path_; }

 private:
  QString lock_path_;
  QString channel_path_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<bool(std::string_view)> hook_;
};

}  // namespace velk
