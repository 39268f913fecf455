#pragma once
// What the controls, the maps and the chemistry bind of qeltacore and qeltanum, as a host would:
// every routine, class member, type and constant they rely on, called or used once through a pointer
// of its exact type. A missing export fails the link and a changed signature fails the build, here and
// in the consumer project built against the installed headers. The calls run on small fixtures; what
// they answer is checked by the conformance suite (ServicesFoundationTest, ServicesNumericsTest).

#include <string>

namespace qelta::bindings {

/// Calls each foundation name once; files go into ScratchDir (an existing directory, UTF-8).
/// Answers the number of names bound.
int BindFoundationServices(const std::string& ScratchDir);
/// Calls each numerics name once; answers the number of names bound.
int BindNumericsServices();

}  // namespace qelta::bindings
