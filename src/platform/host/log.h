#pragma once

#include <memory>
#include <string>

#include "velmora/base/variant.h"

namespace velmora::host {

// The host log component (ProgID "Tarvex.Log"): error and notice entries, one JSON object a
// line ({"time", "level", "kind", "source", "text", "extra"}) in log/velmora.log of the
// installation home. The file rotates when it would pass $VELMORA_LOG_MAX_BYTES (default
// 10 MiB), keeping five older files velmora.log.1 ... .5. With $VELMORA_LOG_STDERR=1 every
// entry is also written to standard error. An entry that cannot be written to the file goes
// to standard error instead, so that logging never fails the operation that logs.
// Safe to use from several threads and processes (each entry is one append).
class Log : public Object {
 public:
  std::string TypeName() const override { return "Tarvex.Log"; }
  virtual void WriteErrorEntry(const std::string& source, const std::string& text, int32_t level,
                               const Variant& extra) = 0;
  virtual void WriteNoticeEntry(const std::string& source, const std::string& text, int32_t level,
                                const Variant& extra) = 0;
};

// A log writing into `log_dir` (created when missing).
std::shared_ptr<Log> NewJsonLinesLog(std::string log_dir);
// A log writing into the log folder of InstallationHome(home).
std::shared_ptr<Log> NewInstallationLog(const std::string& home);

}  // namespace velmora::host
