// hbar /S: which help files are loaded and where live help shows, for people.
#pragma once

void ReportHelpStatus();
