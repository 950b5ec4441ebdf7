#include "platform/sheet/office_engine.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <filesystem>
#include <tuple>
#include <utility>

#include "platform/sheet/office_pool.h"
#include "platform/sheet/office_workbook.h"
#include "platform/sheet/uno_support.h"
#include "platform/sheet/workbook_rules.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::sheet {
namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

constexpr const char* kSource = "Velmora.Sheet";

void RequireFile(const std::string& path) {
  std::error_code failure;
  if (!std::filesystem::is_regular_file(path, failure)) {
    throw Error(kErrFileNotFound, kSource, "File not found: " + path);
  }
}

[[noreturn]] void RaiseNotAWorkbook(const std::string& path, const std::string& reason) {
  throw Error(ErrNumber(EnumerationErrors::NotAnExcelFile), kSource,
              "The file is not a workbook the spreadsheet engine can read: " + path +
                  (reason.empty() ? "" : " (" + reason + ")"));
}

void CloseQuietly(const Reference<css::lang::XComponent>& component) {
  try {
    const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
    if (closeable.is()) {
      closeable->close(true);
    } else {
      component->dispose();
    }
  } catch (const css::uno::Exception&) {
    // Nothing more can be done for a document the engine will not close.
  }
}

class OfficeEngineImpl : public OfficeEngine {
 public:
  explicit OfficeEngineImpl(const OfficeSettings& settings)
      : pool_(std::make_shared<OfficePool>(settings)) {}

  std::unique_ptr<Workbook> Open(const std::string& path, bool read_only) override {
    RequireWorkbookExtension(path);
    RequireFile(path);
    const bool locked = !read_only && IsWriteProtected(path);
    return Load(path, read_only || locked, false, locked);
  }

  std::unique_ptr<Workbook> Create() override {
    auto [lease, document] = LoadOnAProcess("Creating a workbook", "private:factory/scalc",
                                            Arguments({{"Hidden", Any(true)}}));
    if (!Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY).is()) {
      CloseQuietly(document);
      throw Error(kErrEngineFailure, kSource, "The engine made no new workbook");
    }
    return NewOfficeWorkbook(std::move(lease), document, "", false);
  }

  std::unique_ptr<Workbook> CreateFromTemplate(const std::string& template_path) override {
    RequireWorkbookExtension(template_path);
    RequireFile(template_path);
    return Load(template_path, false, true, false);
  }

  bool IsAvailable() override { return pool_->IsAvailable(); }
  std::vector<int> ProcessIds() override { return pool_->ProcessIds(); }
  int32_t PoolSize() const override { return pool_->size(); }

 private:
  static Reference<css::frame::XComponentLoader> Loader(const OfficePool::Lease& lease) {
    return Reference<css::frame::XComponentLoader>(lease.process().desktop(), UNO_QUERY_THROW);
  }

  // Loads a document on a leased process. A process found dead at that moment (killed since
  // its last use) is replaced and the load tried once more on the new one. Other failures of
  // the load raise as UNO exceptions for the caller to judge.
  std::pair<std::unique_ptr<OfficePool::Lease>, Reference<css::lang::XComponent>> LoadOnAProcess(
      const std::string& operation, const OUString& url,
      const Sequence<css::beans::PropertyValue>& arguments) {
    for (int attempt = 1;; ++attempt) {
      auto lease = pool_->Acquire();
      try {
        auto document = Loader(*lease)->loadComponentFromURL(url, "_blank", 0, arguments);
        return {std::move(lease), std::move(document)};
      } catch (const css::uno::RuntimeException& exception) {
        lease->process().MarkSuspect();
        if (attempt > 1 || lease->process().Answers()) {
          throw EngineError(operation, exception);
        }
      }
    }
  }

  // Loads a file with the filter of its extension, so that content of another kind is refused
  // instead of being read as text.
  std::unique_ptr<Workbook> Load(const std::string& path, bool read_only, bool as_template,
                                 bool locked) {
    const auto arguments = Arguments({
        {"FilterName", Any(FilterFor(path))},
        {"Hidden", Any(true)},
        {"ReadOnly", Any(read_only)},
        {"AsTemplate", Any(as_template)},
        {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
        {"UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)},
    });
    std::unique_ptr<OfficePool::Lease> lease;
    Reference<css::lang::XComponent> document;
    try {
      std::tie(lease, document) = LoadOnAProcess("Opening " + path, FileUrl(path), arguments);
    } catch (const css::uno::Exception& exception) {
      RaiseNotAWorkbook(path, FromUno(exception.Message));
    }
    if (!document.is()) {
      RaiseNotAWorkbook(path, "");
    }
    if (!Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY).is()) {
      CloseQuietly(document);
      RaiseNotAWorkbook(path, "not a spreadsheet");
    }
    return NewOfficeWorkbook(std::move(lease), document, as_template ? "" : path, locked);
  }

  std::shared_ptr<OfficePool> pool_;
};

}  // namespace

std::shared_ptr<OfficeEngine> NewOfficeEngine(const OfficeSettings& settings) {
  return std::make_shared<OfficeEngineImpl>(settings);
}

}  // namespace velmora::sheet
