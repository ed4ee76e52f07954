#include "core/transfer/transfers.h"

namespace qvt::transfer {

Transfers::Transfers(const TransferDeps& deps, TransferHooks h)
    : hooks(std::move(h)),
      progress(deps.state),
      histories(deps, hooks),
      labels(deps, hooks, counter),
      save(deps, hooks, progress,
           [this](const std::string& action, const std::string& file) {
               histories.PrgFileHistory(action, file);
           }),
      load(deps, hooks, progress, labels, counter,
           [this](const std::string& action, const std::string& file) {
               histories.PrgFileHistory(action, file);
           }),
      drops(deps, hooks) {}

void TransferOperations::Load68k() {
    if (transfers_ != nullptr) {
        transfers_->load.Load68k();
    } else {
        not_yet("Program load");
    }
}

void TransferOperations::Save68k() {
    if (transfers_ != nullptr) {
        transfers_->save.Save68k();
    } else {
        not_yet("Program save");
    }
}

void TransferOperations::Label_Read() {
    if (transfers_ != nullptr) {
        transfers_->labels.Label_Read();
    } else {
        not_yet("Reading labels");
    }
}

void TransferOperations::LabelListClick() {
    if (transfers_ != nullptr) {
        transfers_->labels.ListView1Click();
    } else {
        not_yet("The label list");
    }
}

}  // namespace qvt::transfer
