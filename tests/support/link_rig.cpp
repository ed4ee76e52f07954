#include "tests/support/link_rig.h"

#include <utility>

namespace qvt::test {

LinkRig::LinkRig() {
    term.set_PortOpen(true);
}

kvb::sim::Controller& LinkRig::attach_sim(kvb::sim::Options options) {
    term.connect(nullptr);
    sim = std::make_unique<kvb::sim::Controller>(std::move(options));
    term.connect(sim.get());
    return *sim;
}

link::ReceiveProcessor& LinkRig::attach_receive() {
    receive = std::make_unique<link::ReceiveProcessor>(state, term, receive_hooks);
    term.OnComm = [this] { receive->PDQComm1Comm(); };
    term.set_RThreshold(1);
    return *receive;
}

}  // namespace qvt::test
