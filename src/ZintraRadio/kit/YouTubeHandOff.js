.pragma library

// Sends a song to the YouTube panel: show the module, leave the query for the panel's field,
// and start the search, in that order. The query travels as one text from here to yt-dlp.
function search(ui, model, query) {
    if (ui) {
        ui.show("youtube")
        ui.pendingYouTubeQuery = query
    }
    if (model)
        model.searchYouTube(query)
}

// Downloads the first YouTube hit for the query as MP3; whether lyrics are embedded is the
// app-wide setting's choice.
function downloadMP3(model, query) {
    if (model)
        model.downloadMP3Searching(query, null)
}
