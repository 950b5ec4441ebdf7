<?xml version="1.0" encoding="UTF-8"?>
<!-- Brix's invoices in the standard form: the amount's currency as an element of its own. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8"/>
  <xsl:template match="AMOUNT">
    <AMOUNT><xsl:value-of select="."/></AMOUNT>
    <CURRENCY><xsl:value-of select="@currency"/></CURRENCY>
  </xsl:template>
  <xsl:template match="@*|node()">
    <xsl:copy><xsl:apply-templates select="@*|node()"/></xsl:copy>
  </xsl:template>
</xsl:stylesheet>
