#pragma once

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <memory>
#include <string>

#include "platform/sheet/soffice_process.h"

namespace velmora::sheet {

// One slot of the pool: an office process with its UNO connection, started on demand and
// started again when it died. Used by one workbook at a time (the pool hands it out).
// Every slot that still runs a process is stopped when the program ends, before the UNO
// runtime's own objects go away: the connection is disposed (its threads joined), then the
// process ended.
class OfficeProcess {
 public:
  OfficeProcess(std::string program_folder, std::string work_folder, int start_timeout_seconds);
  ~OfficeProcess();
  OfficeProcess(const OfficeProcess&) = delete;
  OfficeProcess& operator=(const OfficeProcess&) = delete;

  // Makes sure a live, connected process serves this slot: starts one when there is none or the
  // last one died or stopped answering. Raises kErrEngineUnavailable when that fails.
  void EnsureRunning();
  // The desktop of the running process. REQUIRES: EnsureRunning() succeeded.
  const css::uno::Reference<css::frame::XDesktop2>& desktop() const { return desktop_; }
  // Asks for a check of the connection before the next use (after a failed call).
  void MarkSuspect() { suspect_ = true; }
  // Whether the process runs and answers a call now.
  bool Answers();
  // Whether a process has been started and has not ended.
  bool IsRunning();
  // The process id, or -1 when none runs.
  int pid();
  // Ends the process and drops the connection.
  void Stop();

 private:
  void Start();

  std::string program_folder_;
  std::string work_folder_;
  int start_timeout_seconds_;
  std::unique_ptr<SofficeProcess> process_;
  css::uno::Reference<css::lang::XComponent> bridge_;
  css::uno::Reference<css::frame::XDesktop2> desktop_;
  bool suspect_ = false;
};

}  // namespace velmora::sheet
