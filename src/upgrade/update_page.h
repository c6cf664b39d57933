// Reading the update-announcement page and the download page. The pages are
// GBK text; every marker is matched byte for byte on character boundaries.
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

inline constexpr char kVersionMarker[] = "*||*";
inline constexpr char kLinkMarker[] = "dz*#";
inline constexpr char kLinkEndMarker[] = "*#*#";
// dlink\":\"  (ten characters: the page holds JSON escaped once more).
inline constexpr char kDirectLinkMarker[] = "dlink\\\":\\\"";
// \"  ends the address.
inline constexpr char kDirectLinkEnd[] = "\\\"";

// The version between the first two version markers when it differs from
// current (plain byte equality, so an older number counts as newer too);
// kNoNewerVersion when equal or when the page holds no marker at all. An
// opening marker without a closing one gives the empty version.
std::string parseLatestVersion(std::string_view page, std::string_view current);

// The download-page link: the text after the first "dz*#" (up to the next
// one), cut before "*#*#", with every "amp;" deleted. Empty when the page has
// no such stretch or the stretch has no end marker.
std::string parseDownloadLink(std::string_view page);

// The direct file address after the dlink marker, up to the next \", with
// every \\ pair deleted until none is left. Empty when the marker or the end
// is missing.
std::string parseDirectLink(std::string_view page);

}  // namespace korvel::upgrade
