// (filled below)
