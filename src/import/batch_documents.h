#pragma once

#include <string_view>
#include <vector>

namespace velmora::import {

// The documents of a batch: `content` is documents concatenated without their declarations and
// must be well-formed as the content of one element (xml::IsWellFormedContent). Each top-level
// element with everything inside it is one document; a run of text between them that is not
// blank is one more (it fails processing and is kept like any failed document); comments and
// processing instructions between the elements are left out. Views into `content`, in order.
std::vector<std::string_view> BatchDocuments(std::string_view content);

}  // namespace velmora::import
