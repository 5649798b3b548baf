#include "standin/EngineState.h"

namespace quillon::standin {

EngineState::EngineState(Scenario scenario, std::string baseDir, std::string journalPath)
    : scenario_(std::move(scenario)),
      baseDir_(std::move(baseDir)),
      devices_(scenario_),
      variables_(scenario_),
      faults_(scenario_.faults),
      journal_(std::move(journalPath)),
      plots_(journal_, scenario_.backgroundPlotMilliseconds),
      factory_(scenario_, devices_, variables_),
      questions_(scenario_, killed),
      session_(scenario_, factory_, variables_, faults_, journal_, plots_, questions_) {
    visible = scenario_.visible;
    defaultPlotToFilePath = scenario_.plotFolder.empty() ? baseDir_ : scenario_.plotFolder;
    session_.restore();
}

}  // namespace quillon::standin
