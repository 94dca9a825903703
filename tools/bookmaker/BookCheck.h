#pragma once
// Checking a book folder as the program reads it: both tables through the
// program's own parsers, every page file through its unpacker and JPEG
// decoder, every voice file through the audio engine, and the entries against
// all of them. Each problem is reported with the file and the line it is in.

#include <QString>
#include <vector>

namespace zarelo::speech {
class Lexicon;
}

namespace zarelo::bookmaker {

struct Finding {
    QString File;      // a file of the book folder: "location.dat", "Page3.zip", "U2.wav"
    int Line = 0;      // line of File from 1 (a table's first line is 1); 0: the whole file
    QString Text;      // the line as printed, naming the file and the line
    bool Note = false; // legal, but worth knowing; does not make the book faulty
};

// Every problem and note of the book folder `folder`, ordered by file name
// (ignoring ASCII case) and line. Never throws for anything the folder holds.
// With `lexicon` (the speech model's dictionaries and the program's hand
// dictionary) each word of the entries is looked up there and in the book's
// own pronunciations: a word the word aligner would have to guess from its
// letters is a note, one it cannot say at all a problem, and so is a line of
// the book's pronunciations that does not read.
std::vector<Finding> CheckBookFolder(const QString& folder,
                                     const speech::Lexicon* lexicon = nullptr);

// The number of findings that are problems, not notes.
int ProblemCount(const std::vector<Finding>& findings);

} // namespace zarelo::bookmaker
