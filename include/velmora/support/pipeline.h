#pragma once

#include <string>

#include "velmora/base/variant.h"
#include "velmora/host/referential_integrity.h"

namespace velmora {

// Velmora.Pipeline: answers the host's referential-integrity question for send methods: a
// business partner or document type that still has SENDMETHOD rows is referenced. Registered
// as a participant under its ProgID. Stateless.
//
// Failures are written to the host log and raised with their number and source, the
// description carrying " / Velmora.Pipeline.<where>" at its end.
class Pipeline : public host::ReferentialIntegrity {
 public:
  // True unless the origin is a business partner or document type whose last matching key
  // ("BUSINESSPARTNERID" or "DOCUMENTTYPEID") has no send method; other origins are not
  // queried. `keys` and `values` are parallel one-dimensional arrays.
  bool Exists(const Variant& origin, const VariantArray& keys, const VariantArray& values) override;
  // Always true.
  bool BeforeDelete(const Variant& origin, const VariantArray& keys,
                    const VariantArray& values) override;

 private:
  // Whether `iSQL` returns a row.
  bool CheckExistenceUsingSQL(const Variant& iSQL);
};

}  // namespace velmora
