// Standard MIDI Files of format 0 or 1, read and merged into one format-0 image that
// the music streams play.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class cMidiFile {
  public:
    // Loads the file (a game path); the image stays empty when it cannot be read or is
    // not a MIDI file this player takes, after a report line that says which.
    explicit cMidiFile(const char* fileName);
    virtual ~cMidiFile();
    cMidiFile(const cMidiFile&) = delete;
    cMidiFile& operator=(const cMidiFile&) = delete;

    // The merged image: "MThd", length 6, format 0, one track, the file's division,
    // "MTrk", its length, then the events from offset 22, every status byte written
    // out, ending with FF 2F 00 at the latest end of all tracks.
    const std::vector<uint8_t>& Image() const { return m_Image; }
    bool Loaded() const { return !m_Image.empty(); }
    const std::string& Name() const { return m_strName; }
    // Length of the song in seconds through its tempo map.
    double LengthSeconds() const { return m_dLength; }

    // The offset of the first event in the image.
    static constexpr size_t kFirstEvent = 22;

  protected:
    // Parses and merges a whole file; false after writing the failure to the report
    // and trace files. Nothing is kept on failure.
    bool Parse(std::span<const uint8_t> file);

    std::vector<uint8_t> m_Image;
    std::string m_strName;
    double m_dLength = 0.0;
};
