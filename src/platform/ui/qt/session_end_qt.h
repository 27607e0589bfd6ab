// Private to the Qt window backend: the end of the user's session (a logout, a closed terminal,
// kill or Ctrl+C: SIGTERM, SIGHUP, SIGINT) closes the windows as the user's close would, so that
// a job's port is let go of, the settings are saved and the job log gets its end line. A second
// such signal ends the program at once. A file-size limit (SIGXFSZ) never ends it: the write
// fails and is handled.
#pragma once

#include <QObject>
#include <memory>

namespace tarvex::platform {

class SessionEndWatch : public QObject {
  public:
    // On the window thread, once per window system.
    SessionEndWatch();
    ~SessionEndWatch() override;
    SessionEndWatch(const SessionEndWatch&) = delete;
    SessionEndWatch& operator=(const SessionEndWatch&) = delete;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarvex::platform
