// A recording serial line for tests of the code that opens ports and pulses RTS.
//
// The test owns a FakeSerialLine; the code under test gets a handle to it (newHandle(), or through
// openSerialLine() once installOpener() ran) and may own and destroy that handle. Every call is
// recorded, in order, with a monotonic time stamp, and any call can be made to fail with a chosen
// system error code.
//
//   FakeSerialLine line;
//   line.failNext(FakeSerialLine::kRtsOn, EIO);
//   ... code under test ...
//   EXPECT_EQ("readState\nsetRts(1) failed 5\n", line.journal());
//
// Thread safety: all operations may be called from any thread; one mutex guards the state. The
// FakeSerialLine must outlive its handles and the installed opener (the destructor removes it).
#ifndef QUORVALE_TESTS_FAKE_SERIAL_LINE_H_
#define QUORVALE_TESTS_FAKE_SERIAL_LINE_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial_port.h"

class FakeSerialLine final : public platform::SerialLine {
 public:
  enum Op { kOpen, kReadState, kRtsOn, kRtsOff, kClose };

  struct Call {
    Op op;
    uint32_t error;  // 0 when the call succeeded
    std::chrono::steady_clock::time_point at;
  };

  FakeSerialLine() = default;
  ~FakeSerialLine() override;
  FakeSerialLine(const FakeSerialLine&) = delete;
  FakeSerialLine& operator=(const FakeSerialLine&) = delete;

  // Makes the next call of |op| fail with system error |code| (once per failNext; kClose cannot
  // fail). A failed open returns null; a failed setRts leaves rts() unchanged.
  void failNext(Op op, uint32_t code);

  // A line object that forwards to this fake; its destruction is recorded as "close".
  std::unique_ptr<platform::SerialLine> newHandle();

  // Makes openSerialLine() open this fake (recording "open <path>") until the fake is destroyed.
  void installOpener();

  // The calls so far, one line each: "open <path>", "readState", "setRts(1)", "setRts(0)",
  // "close", with " failed <code>" added to a failed call.
  std::string journal() const;
  std::vector<Call> calls() const;

  // The RTS level the last successful setRts left (false at the start).
  bool rts() const;

  bool readState() override;
  bool setRts(bool asserted) override;

 private:
  class Handle;

  // Records |op| and answers it: false, with lastError() set, when a failure was planned.
  bool record(Op op, const std::string& detail);

  mutable std::mutex mutex_;
  std::map<Op, std::vector<uint32_t>> plannedFailures_;  // guarded by mutex_
  std::vector<Call> calls_;                              // guarded by mutex_
  std::string journal_;                                  // guarded by mutex_
  bool rts_ = false;                                     // guarded by mutex_
  bool openerInstalled_ = false;                         // guarded by mutex_
};

#endif  // QUORVALE_TESTS_FAKE_SERIAL_LINE_H_
