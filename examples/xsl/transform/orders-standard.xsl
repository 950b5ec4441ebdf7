<?xml version="1.0" encoding="UTF-8"?>
<!-- Acme's orders in the installation's standard form: every element kept, the order number
     also as an attribute of the root. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8"/>
  <xsl:template match="/ORDER">
    <ORDER number="{NUMBER}">
      <xsl:apply-templates select="node()"/>
    </ORDER>
  </xsl:template>
  <xsl:template match="@*|node()">
    <xsl:copy><xsl:apply-templates select="@*|node()"/></xsl:copy>
  </xsl:template>
</xsl:stylesheet>
