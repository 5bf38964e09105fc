// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_analysis.h"
#include "tables/card_field.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// A run of bytes of the image a node stands for.
struct ByteSpan {
    std::int32_t offset = 0;
    std::int32_t length = 1;
    bool operator==(const ByteSpan&) const = default;
};

// One line of the tree of what an image holds: what it is, its value as people read it, and the
// bytes it lives in (none for a heading that only groups).
struct TreeNode {
    std::string label;
    std::string value;
    std::vector<ByteSpan> bytes;
    std::optional<CardField> field; // the card field this node is the value of, where it is one
    std::vector<TreeNode> children;
};

// Everything the analysis decoded, as a tree: the option-ROM images of the chain, the BMP or BIT
// header, the performance levels (core, every memory copy, voltage), the voltage table's entries
// with their VIDs, the timing table, the init-script commands that program memory and clocks,
// every value the editor reads with its places, and each table's verdict against the structure
// (with both places where it is contradicted). The root's children are those groups; a group
// the image lacks is left out.
TreeNode structureTree(const ImageAnalysis& analysis);

// The node of the value the editor shows for a field, in a tree structureTree made; null when
// the image has no place for it.
const TreeNode* nodeOfField(const TreeNode& root, CardField field);

} // namespace zfx
