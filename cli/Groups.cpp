// The order of the groups in --help and in the demo.
#include "Groups.h"

namespace utility::cli {

const std::vector<Group>& Groups() {
  static const std::vector<Group> groups = {
      ModuleGroup(), EncodingGroup(), VariantGroup(), BitsGroup(),     NamesGroup(),
      FilesGroup(),  TrackLogGroup(), SystemGroup(),  IdentityGroup(), RegistryGroup(),
  };
  return groups;
}

}  // namespace utility::cli
