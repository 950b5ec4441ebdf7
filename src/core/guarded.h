#pragma once

#include <string_view>
#include <utility>

#include "core/general.h"

// The error convention of every public method, in one place:
//
//   int32_t Document::GetDocumentStatus(int32_t lDocumentID) {
//     return core::Guarded("Velmora.Document.GetDocumentStatus", [&] { return Read(...); });
//   }
//
// Guarded runs `body` and returns what it returns. An exception that leaves `body` is logged
// and raised again with "\r\nMETHOD: <path> caught: ..." added to its description (see
// ReportError), so the chain of method paths reaches the caller. Paths are the published texts;
// keep each exactly as callers and logs know it. Resources the body holds are released by
// their owners (RAII) before the report is written.
namespace velmora::core {

// Logs the error in flight with `path` and raises it with the path in its chain. An error of
// number 0 is raised unchanged after the log entry. REQUIRES: called inside a catch block.
[[noreturn]] void RaiseReported(std::string_view path, const Info& info = std::nullopt);

template <class Body>
decltype(auto) Guarded(std::string_view path, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    RaiseReported(path);
  }
}

// As above; `info` is called only when an error is reported, and what it returns is written
// into the log entry and the chain as additional information.
template <class Body, class InfoFn>
decltype(auto) Guarded(std::string_view path, Body&& body, InfoFn&& info) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    RaiseReported(path, Info(std::forward<InfoFn>(info)()));
  }
}

}  // namespace velmora::core
