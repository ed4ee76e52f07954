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
      points(deps, hooks, progress, kPointKind,
             [this](const std::string& action, const std::string& file) {
                 histories.PointFileHistory(action, file);
             }),
      mbk(deps, hooks, progress, kMbkKind,
          [this](const std::string& action, const std::string& file) {
              histories.MbkFileHistory(action, file);
          }),
      drops(deps, hooks) {}

}  // namespace qvt::transfer
