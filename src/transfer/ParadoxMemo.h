#pragma once
#include <QByteArray>
#include <QString>

// The memo file (.MB) of a Paradox table, read by the program itself. pxlib's own reader
// (PX_set_blob_file) reads a 12-byte block head into a 9-byte variable on the stack while it
// lists the blocks, which ends the process on every memo file with the Debian build; and it
// needs the file to be a whole number of 4 KiB blocks, which its own writer does not keep.
//
// The format: 4 KiB blocks; block 0 is the header (type 0). A memo longer than the space the
// record keeps for its start lies either alone in blocks of type 2 (9-byte head: type,
// block count, length, modification number; then the text) or, when short, in a block of
// type 3 shared by up to 64 memos (12-byte head, then 64 pointers of 5 bytes: offset and
// length in 16-byte units, modification number, length in the last unit). The record's
// field ends with 10 bytes: offset of the block with the pointer index in its low byte
// (0xFF for type 2), length, modification number; the bytes before them hold the memo's
// start, or the whole memo when it fits.
class ParadoxMemoFile {
public:
    // Throws HwError with a German message when the file cannot be read or is no memo file.
    explicit ParadoxMemoFile(const QString& path);

    // The memo of one record field (len bytes at field). Returns false with a reason when the
    // memo cannot be found or its length does not match; an empty field gives an empty text.
    bool read(const char* field, int len, QByteArray* out, QString* reason) const;
    // The memo held wholly in the record (no memo file needed); false when it lies in the file.
    static bool readInRecord(const char* field, int len, QByteArray* out);

private:
    QString m_path;
    QByteArray m_data;
};
