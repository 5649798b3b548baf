#pragma once

#include <map>
#include <string>
#include <vector>

#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// What names a run's files, decided once over the whole job by its first run and recorded in its report, so
// that every later step (the run itself, a resume of any part, a resume of a resume, the combine) reads them
// and never decides again. A run starting afresh has the job's whole listing alone (for one part of a job,
// every part's drawings); a resume has what its report recorded.
struct JobNames {
    // The whole job's drawings in the job's order; empty: the run's own list is the whole job.
    std::vector<std::string> listing;
    // By folded drawing path: what tells a drawing's files apart from those of same-named drawings. Recorded
    // ones are taken as they are; qualifiersRecorded false: decided over the listing.
    std::map<std::string, std::string> qualifiers;
    bool qualifiersRecorded = false;
    // The plot file each sheet of the report was written to, by recordedSheetKey: named exactly so again.
    std::map<std::string, std::string> sheets;
    // The combined files the report named, by folded subject (a drawing's path, or the run's folder).
    std::map<std::string, std::string> combined;
    // The {date} the names take; empty: the run's own.
    std::string date;
    // A resume's: every row of the report it takes up, in its order, each naming the report it was first
    // written in (Carried from). The run's record holds them all: a chain of resumes describes the whole set.
    std::vector<ReportRow> carried;
};

}  // namespace quillon::plotting
