#pragma once
// The player's side of the extraction service: what the playback sync asks for on a
// selection goes to the service first in line, and a newer selection or a removal calls
// off that request alone - never the trip search's, an export's or a batch's.
class ExtractionProgressView;
class PlaybackSync;

// overlay (may be null) shows how far the reading has got until the track arrives.
void connectPlayerExtraction(PlaybackSync *sync, ExtractionProgressView *overlay);
