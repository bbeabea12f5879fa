#pragma once

#include <QString>

namespace platform {
class Opener;
class RandomSource;
} // namespace platform

namespace core {

inline constexpr char kProductFullName[] = "Quillmere Extractor";

// The application title: the full name without its last word, shortened word by word while it is longer
// than 40 characters; a name without a blank stays whole.
QString applicationTitle(const QString& fullName);

// The web page of the program; empty unless the build names one.
QString homePage();

// One start in a hundred opens the page; without one, nothing happens.
void OpenHomePageAtRandom(platform::RandomSource& random, platform::Opener& opener, const QString& page = homePage());

} // namespace core
