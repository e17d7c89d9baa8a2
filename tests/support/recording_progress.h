#pragma once

#include "platform/progress.h"

#include <string>
#include <vector>

namespace velmorane::testing {

// Records every progress caption in order: "Panneau: ...", "Etape: ...", "Compteur: ...".
class RecordingProgress : public platform::ProgressSink {
public:
    void setPanneau(const std::string& caption) override { events.push_back("Panneau: " + caption); }
    void setEtape(const std::string& text) override { events.push_back("Etape: " + text); }
    void setCompteur(const std::string& text) override { events.push_back("Compteur: " + text); }

    std::vector<std::string> events;
};

}  // namespace velmorane::testing
