// The blocks of memory that a load fills with items and texts, and how an item's memory goes.
#include "model/EkMemIniBlocks.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstdlib>
#include <new>

namespace ekmemini {

// --- Texts -----------------------------------------------------------------------------------

TextBlocks::TextBlocks(qint64 fileSize)
    : nextUnits_(std::clamp<qint64>(fileSize, kFirstUnits, kLargestUnits)) {}

TextBlocks::~TextBlocks() {
    // The deque then drops each block's own reference.
    for (Block& block : blocks_) {
        if (block.strings > 0)
            addStringReferences(block.memory, block.strings);
    }
}

bool TextBlocks::startBlock(qsizetype units) {
    if (units > nextUnits_ / 4)
        return false;
    QString memory(nextUnits_, Qt::Uninitialized);
    blocks_.push_back({std::move(memory)});
    current_ = &blocks_.back();
    free_ = reinterpret_cast<char16_t*>(current_->memory.data());
    end_ = free_ + current_->memory.capacity();
#if defined(MADV_POPULATE_WRITE)
    // The largest blocks get their pages made in one call rather than a fault for every 4 KB.
    if (nextUnits_ == kLargestUnits) {
        constexpr quintptr kPage = 4096;
        const quintptr first = (quintptr(free_) + kPage - 1) & ~(kPage - 1);
        const quintptr last = quintptr(end_) & ~(kPage - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
#endif
    nextUnits_ = std::min(nextUnits_ * 2, kLargestUnits);
    return true;
}

TextShare::TextShare(qint64 fileSize, TextBlocks& texts) : texts_(texts) {
    while (slotBits_ < kMaxSlotBits && (qint64(1) << slotBits_) * kBytesPerSlot < fileSize)
        ++slotBits_;
    slots_.resize(size_t(1) << slotBits_);
}

} // namespace ekmemini

// --- Items -----------------------------------------------------------------------------------

TEkItemBlocks::TEkItemBlocks(qint64 fileSize)
    : nextBytes_(std::clamp<qint64>(fileSize, kFirstBytes, kLargestBytes)) {}

TEkItemBlocks::~TEkItemBlocks() {
    if (block_)
        release(block_);
}

void TEkItemBlocks::release(Header* block) {
    if (--block->live != 0)
        return;
#if defined(MAP_POPULATE)
    if (block->mapped) {
        munmap(block, size_t(block->mapped));
        return;
    }
#endif
    std::free(block);
}

void TEkItemBlocks::startBlock() {
    Header* block = nullptr;
    qsizetype mapped = 0;
#if defined(MAP_POPULATE)
    // The largest blocks get pages of their own, all made at once: one call into the
    // kernel instead of a page fault for every 4 KB filled.
    if (nextBytes_ == kLargestBytes) {
        void* pages = mmap(nullptr, size_t(nextBytes_), PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (pages != MAP_FAILED) {
            block = static_cast<Header*>(pages);
            mapped = nextBytes_;
        }
    }
#endif
    if (!block)
        block = static_cast<Header*>(std::malloc(size_t(nextBytes_)));
    if (!block)
        throw std::bad_alloc();
    block->mapped = mapped;
    madeBefore_ = made();
    if (block_)
        release(block_);
    block_ = block;
    block_->live = 1; // the filling
    free_ = reinterpret_cast<char*>(block_ + 1);
    end_ = reinterpret_cast<char*>(block_) + nextBytes_;
    nextBytes_ = std::min(nextBytes_ * 2, kLargestBytes);
}

void TEkIniVal::operator delete(TEkIniVal* item, std::destroying_delete_t) {
    TEkItemBlocks::Header* block = TEkItemBlocks::blockOf(item);
    item->~TEkIniVal();
    if (block)
        TEkItemBlocks::release(block);
    else
        ::operator delete(item);
}
