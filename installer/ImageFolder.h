#pragma once
// The picture folder that the installer fills with lock pictures: the product folder
// under My Pictures (My Documents on releases that have no My Pictures). Without it
// (the shell folder is not found) every operation does nothing: a path built from an
// empty folder would name the root of the current drive.
#include <string>

class CImageFolder {
public:
    explicit CImageFolder(std::string folder) : m_folder(std::move(folder)) {}
    // This machine's picture folder, empty when the shell folder cannot be found.
    static CImageFolder OfThisMachine();

    const std::string& Path() const { return m_folder; }
    // Every missing level, without security attributes.
    void Create() const;
    // Copies the file in under its own name and extension, overwriting.
    void CopyIn(const char* source) const;
    // Deletes the file of that name and extension from the folder.
    void Delete(const char* path) const;
    // Removes the folder when it is empty.
    void Remove() const;

private:
    // The folder's file of the path's name and extension; empty when there is none.
    std::string Target(const char* path) const;

    std::string m_folder;
};
