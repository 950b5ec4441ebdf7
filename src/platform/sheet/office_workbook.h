#pragma once

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <memory>
#include <string>

#include "platform/sheet/office_pool.h"
#include "platform/sheet/uno_support.h"
#include "velmora/sheet/workbook.h"

namespace velmora::sheet {

// A Workbook over a spreadsheet document of an office process. Keeps the process's lease until
// it is closed, so the process serves no other workbook meanwhile. `path` is "" for a document
// never saved; `locked` says the file may not be written whatever the engine thinks (no write
// permission bits), so that IsReadOnly() is true for it.
std::unique_ptr<Workbook> NewOfficeWorkbook(std::unique_ptr<OfficePool::Lease> lease,
                                            css::uno::Reference<css::lang::XComponent> document,
                                            std::string path, bool locked);

// Whether an existing file may not be written: it has no write permission bits, or this process
// may not write it. Such a file counts as read-only even for a user the operating system would
// let through. False for a path where no file exists.
bool IsWriteProtected(const std::string& path);

// The file filter of a path by its extension: the template filter for "xlt", else the
// workbook filter.
OUString FilterFor(const std::string& path);

}  // namespace velmora::sheet
