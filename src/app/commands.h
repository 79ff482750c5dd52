#pragma once

// The main menu's command identifiers and the fixed identifiers of the views.
namespace kvr {

enum Command : int {
    CmPhonebook = 11842,
    CmScheduler = 11843,
    CmUstaRatings = 11844,
    CmBrowseNotes = 11845,
    CmRecordNotes = 11846,
    CmSpreadsheet = 11848,
    CmTimePlayedSummary = 11849,
    CmTimePlayedByMonth = 11850,
    CmTotalGameRatings = 11851,
    CmStrokeRatings = 11852,
    CmGoalReached = 11853,
    CmChartingGameSummary = 11854,
    CmChartingStrokeSummary = 11855,
    CmMatchNotes = 11856,
    CmPracticeNotes = 11857,
    CmLessonNotes = 11858,
    CmCourtForm = 11859,
    CmOnlineManual = 11860,
    CmAbout = 11861,
    CmQuit = 11862,
    CmTipsLookup = 11863,
    CmTipsAdd = 11864,
    CmCascade = 11865,
    CmTile = 11866,
    CmArrangeIcons = 11867,
    CmBrowseChartingData = 11868,
    CmSetNewGoals = 11869,
};

// At most one view of each identifier is open. The graphs take 20 + their
// kind (0 to 6).
enum ViewId : int {
    PhonebookView = 1,
    SchedulerView = 2,
    BrowseNotesView = 3,
    TipsView = 5,
    SpreadsheetView = 6,
    ChartingNotesView = 7,
    FirstGraphView = 20,
};

} // namespace kvr
