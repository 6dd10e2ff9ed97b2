// GoogleTest's Notification for MinGW's win32 threading model.
//
// GCC 12 with the win32 threading model has no std::mutex or std::condition_variable, from
// which GoogleTest 1.12 builds this one class. The Windows build forces this header into every
// unit that uses GoogleTest, so that the class comes from here instead; an event does the work.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;
};

}  // namespace testing::internal
