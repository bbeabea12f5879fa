#pragma once

#include <QString>

namespace platform {
class Opener;
class RandomSource;
} // namespace platform

namespace core {

inline constexpr char kProductFullName[] = "Quillmere Extractor";
inline constexpr char kHomePage[] = "https://quillmere.example/";

// The application title: the full name without its last word, shortened word by word while it is longer
// than 40 characters; a name without a blank stays whole.
QString applicationTitle(const QString& fullName);

// One start in a hundred opens the home page.
void OpenHomePageAtRandom(platform::RandomSource& random, platform::Opener& opener);

} // namespace core
